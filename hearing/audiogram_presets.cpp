#include "audiogram_presets.h"

#include "hearing_standards.h"

#include <cmath>

namespace {

constexpr double kChartHz[] = {125, 250, 500, 750, 1000, 1500, 2000, 3000, 4000, 6000, 8000};

CAudiogram Checked(std::vector<AudiogramPoint> points)
{
    std::string error;
    return *CAudiogram::Make(std::move(points), error);  // the tables below are valid
}

// Standard audiograms (Bisgaard, Vlaming & Dahlquist 2010), 250-6000 Hz.
constexpr double kStandardHz[] = {250, 375, 500, 750, 1000, 1500, 2000, 3000, 4000, 6000};
struct StandardAudiogram {
    const char* key;
    const char* name;
    double levels[10];
};
const StandardAudiogram kStandard[] = {
    {"N1", "N1: sehr geringer Hörverlust", {10, 10, 10, 10, 10, 10, 15, 20, 30, 40}},
    {"N2", "N2: geringer Hörverlust", {20, 20, 20, 22.5, 25, 30, 35, 40, 45, 50}},
    {"N3", "N3: mittlerer Hörverlust", {35, 35, 35, 35, 40, 45, 50, 55, 60, 65}},
    {"N4", "N4: mittlerer bis starker Hörverlust", {55, 55, 55, 55, 55, 60, 65, 70, 75, 80}},
    {"N5", "N5: starker Hörverlust", {65, 67.5, 70, 72.5, 75, 80, 80, 80, 80, 80}},
    {"N6", "N6: sehr starker Hörverlust", {75, 77.5, 80, 82.5, 85, 90, 90, 95, 100, 100}},
    {"N7", "N7: an Taubheit grenzend", {90, 92.5, 95, 100, 105, 105, 105, 105, 105, 105}},
    {"S1", "S1: leichter Steilabfall", {10, 10, 10, 10, 10, 10, 15, 30, 55, 70}},
    {"S2", "S2: mittlerer Steilabfall", {20, 20, 20, 22.5, 25, 35, 55, 75, 95, 95}},
    {"S3", "S3: starker Steilabfall", {30, 30, 35, 47.5, 60, 70, 75, 80, 80, 85}},
};

// Age and noise shifts are kept to a tenth of a decibel, as the standards
// print them.
double Tenth(double db)
{
    return std::round(db * 10.0) / 10.0;
}

CAudiogram AgeAudiogram(Sex sex, int years)
{
    std::vector<AudiogramPoint> points;
    for (double hz : kChartHz)
        points.push_back({hz, Tenth(AgeShift(sex, static_cast<int>(hz), years))});
    return Checked(points);
}

// Noise alone is defined from 500 to 6000 Hz; with age, at every chart
// frequency, the noise shift held at those ends.
CAudiogram NoiseAudiogram(double exposure, int ageYears)
{
    std::vector<AudiogramPoint> noise;
    for (int hz : kNoiseShiftHz)
        noise.push_back({static_cast<double>(hz), NoiseShift(hz, 40, exposure)});
    if (ageYears == 0) {
        for (AudiogramPoint& point : noise)
            point.hearingLevel = Tenth(point.hearingLevel);
        return Checked(noise);
    }
    const CAudiogram noiseOnly = Checked(noise);
    std::vector<AudiogramPoint> points;
    for (double hz : kChartHz) {
        const double age = AgeShift(Sex::Male, static_cast<int>(hz), ageYears);
        points.push_back({hz, Tenth(CombinedShift(age, noiseOnly.LevelAt(hz)))});
    }
    return Checked(points);
}

std::vector<AudiogramPreset> MakePresets()
{
    std::vector<AudiogramPreset> presets;
    std::vector<AudiogramPoint> normal;
    for (double hz : kChartHz)
        normal.push_back({hz, 0.0});
    // Named for what it is, apart from the comparison "Normal hören".
    presets.push_back({"normal", "Audiogramm mit 0 dB HL (kein Hörverlust)", "", Checked(normal)});

    for (const StandardAudiogram& standard : kStandard) {
        std::vector<AudiogramPoint> points;
        for (int i = 0; i < 10; ++i)
            points.push_back({kStandardHz[i], standard.levels[i]});
        presets.push_back({standard.key, standard.name, "Standardaudiogramme", Checked(points)});
    }

    for (const Sex sex : {Sex::Male, Sex::Female})
        for (int years : {50, 60, 70, 80}) {
            const bool male = sex == Sex::Male;
            presets.push_back({std::string(male ? "age-men-" : "age-women-") + std::to_string(years),
                               std::string(male ? "Mann" : "Frau") + ", " + std::to_string(years) + " Jahre",
                               "Altersschwerhörigkeit", AgeAudiogram(sex, years)});
        }

    for (int ageYears : {0, 60})
        for (int exposure : {90, 95}) {
            std::string key = "noise-" + std::to_string(exposure) + "dBA-40y";
            std::string name = std::to_string(exposure) + " dB(A) 8 Stunden am Tag, 40 Jahre lang";
            if (ageYears) {
                key += "-age-60";
                name += ", dazu das Alter (Mann, 60 Jahre)";
            }
            presets.push_back({key, name, "Lärmschwerhörigkeit", NoiseAudiogram(exposure, ageYears)});
        }
    return presets;
}

}  // namespace

const std::vector<AudiogramPreset>& AudiogramPresets()
{
    static const std::vector<AudiogramPreset> presets = MakePresets();
    return presets;
}

const AudiogramPreset* FindAudiogramPreset(const std::string& key)
{
    for (const AudiogramPreset& preset : AudiogramPresets())
        if (preset.key == key)
            return &preset;
    return nullptr;
}
