// sonafel-snapshot: the main view as a user sees it, after the sliders have
// been set and the sources played for a while, written to a PNG file. Takes
// the options of sonafel-render, --spl-display for the spectrum in dB SPL
// (calibrated by --level), --audibility for Hörbarkeit (--audibility-hl:
// in dB HL, louder downwards) and --scale for the axes and legend; the
// output is the picture of a 1020 x 700 view. Runs without a display.

#include "child_view.h"
#include "engine_setup.h"
#include "offline_playback.h"
#include "virtual_wave_out.h"

#include <QApplication>
#include <QImage>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    // The view's own option; the rest are the render tool's.
    bool splDisplay = false;
    bool audibility = false;
    bool audibilityInHl = false;
    bool scale = false;
    std::vector<const char*> renderArguments;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--spl-display") == 0)
            splDisplay = true;
        else if (std::strcmp(argv[i], "--audibility") == 0)
            audibility = true;
        else if (std::strcmp(argv[i], "--audibility-hl") == 0)
            audibility = audibilityInHl = true;
        else if (std::strcmp(argv[i], "--scale") == 0)
            scale = true;
        else
            renderArguments.push_back(argv[i]);
    }
    RenderOptions options;
    std::string error;
    if (!ParseRenderOptions(static_cast<int>(renderArguments.size()), renderArguments.data(), options, error) ||
        !NoLogsAsked(options, "sonafel-snapshot", error) || options.help) {
        std::fprintf(stderr, "%s%s\n%s", error.empty() ? "" : "sonafel-snapshot: ", error.c_str(),
                     "usage: sonafel-snapshot [--spl-display | --audibility | --audibility-hl] [--scale]\n"
                     "                        [sonafel-render's options] OUTPUT.png\n");
        return options.help ? 0 : 2;
    }
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);

    CSourceBank sources;
    LoadRecordings(options, sources);

    CChildView view(sources);
    view.resize(1020, 700);
    SetUpAsTheUserWould(options, view.Processor());
    view.SetAudiogramName(QString::fromStdString(options.audiogram.label));
    view.SetSplDisplay(splDisplay);
    if (audibility)
        view.SetSpectrumView(CChildView::SpectrumView::Audibility);
    view.SetAudibilityInHearingLevel(audibilityInHl);
    // The dB SPL display's pictures have always been of a calibrated view;
    // Hörbarkeit is shown as a family sees it, at the nominal level.
    view.SetCalibrated(splDisplay);
    view.SetScaleAndLegend(scale);

    long long played = 0;
    const int channels = view.Processor().Stereo() ? 2 : 1;
    CRenderWaveOut device([&](const short*, int count) { played += count / channels; }, false);
    RunOfflinePlayback(view.Processor(), device, [&] { return played >= options.samples; });
    QImage image(view.size(), QImage::Format_RGB32);
    view.render(&image);
    if (!image.save(QString::fromStdString(options.outputPath), "PNG")) {
        std::fprintf(stderr, "sonafel-snapshot: cannot write '%s'\n", options.outputPath.c_str());
        return 1;
    }
    return 0;
}
