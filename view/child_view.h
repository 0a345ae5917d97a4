#pragma once

#include "controls.h"
#include "loss_processor.h"
#include "speech_meter.h"
#include "wave_out_device.h"

#include <QFont>
#include <QStringList>
#include <QWidget>

#include <functional>

class CSurface;

// A rectangle, left and top inclusive, right and bottom exclusive.
struct CRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    bool Contains(int x, int y) const { return left <= x && x < right && top <= y && y < bottom; }
};

// The main view: draws the source buttons, the three loss sliders, the
// spectrum and the filter curve, turns left-button input into settings and
// playback control, and holds all processing state, as a processor of its own.
class CChildView : public QWidget {
public:
    static constexpr int kBands = CLossProcessor::kBands;
    static constexpr int kBins = CLossProcessor::kBins;

    explicit CChildView(CSourceBank& sources, QWidget* parent = nullptr);
    ~CChildView() override;

    // The processing state the view holds: the sources' switches, the
    // sliders' settings and tables, the ears' chains, the band levels shown.
    CLossProcessor& Processor() { return m_processor; }
    const CLossProcessor& Processor() const { return m_processor; }
    // The sources' switches and the sliders, as keys, pointer and screen
    // readers change them; the view shows and announces every change.
    CControls& Controls() { return m_controls; }
    const CControls& Controls() const { return m_controls; }

    // Handlers; positions are client coordinates.
    void OnPaint();
    void OnLButtonDown(int x, int y);
    void OnLButtonUp();
    void OnMouseMove(int x, int y);
    void OnWomDone(int opening);
    void OnWomClose(int opening);

    void DrawSourceButtons(CSurface& surface, int width, int height);
    // The labels the buttons and sliders carry: "Sprache", "höhere Frequenzen".
    static QString SourceName(int source);
    static QString SliderName(int slider);
    // Source button `k` as painted in a button row `width` by `height`.
    static CRect SourceButtonRect(int k, int width, int height);
    void DrawSliders(CSurface& surface, int left, int top, int width, int height);
    void DrawSpectrum(CSurface& surface, int left, int top, int width, int height);
    void DrawGainCurve(CSurface& surface, int left, int top, int width, int height);
    // Over the spectrum: what each ear's audiogram takes away, and its name;
    // or, while normal hearing is compared, a notice that every loss is off.
    void DrawHearingLoss(CSurface& surface, int left, int top, int width, int height);
    // What the spectrum says of its levels where they matter: nominal, or
    // the calibration and the speech's level; empty where they do not.
    QString LevelNotice() const;
    // What the spectrum says in words besides its bars, for screen readers:
    // the comparison's banner or the audiogram's name, the live badge, the
    // nominal levels.
    QStringList ShownNotices() const;
    bool LevelsMatter() const;
    // The banner across the top of the spectrum: the comparison's, or the
    // aid's; 0 without one.
    int ComparisonBannerHeight(CSurface& surface) const;
    // What the aid's banner says: "Mit Hörgerät: NAL-R, beide Ohren",
    // "Ohne Hörgerät"; empty without an aid, and during the comparison.
    QString AidBanner() const;
    void DrawAidBanner(CSurface& surface, int left, int top, int width);
    // In the dB SPL display, each ear's aid gain for an input at 65 dB SPL,
    // dotted in the ear's colour, on the display's decibel scale.
    void DrawAidGains(CSurface& surface, int left, int top, int width, int height);
    // While both ears are heard: each band's bar split, the left ear's half
    // (lighter) on the left, the right ear's (darker) on the right; the key
    // to them is drawn over everything else.
    void DrawEarsSpectrum(CSurface& surface, int left, int top, int width, int height);
    void DrawEarsKey(CSurface& surface, int left, int top);

    // What the spectrum shows: the levels relative to the loudest so far (as
    // ever), the levels at the ear in dB SPL with each ear's threshold, or
    // what each ear hears of them (Hörbarkeit), which needs an audiogram and
    // shows the relative levels without one.
    enum class SpectrumView { Relative, Spl, Audibility };
    void SetSpectrumView(SpectrumView view);
    SpectrumView ChosenSpectrumView() const { return m_chosenView; }
    SpectrumView ShownSpectrumView() const;
    void SetSplDisplay(bool on) { SetSpectrumView(on ? SpectrumView::Spl : SpectrumView::Relative); }
    bool SplDisplay() const { return ShownSpectrumView() == SpectrumView::Spl; }
    // Hörbarkeit as on an audiogram: dB HL, louder downwards; otherwise
    // dB SPL, louder upwards.
    void SetAudibilityInHearingLevel(bool on) { m_bAudibilityInHl = on; }
    bool AudibilityInHearingLevel() const { return m_bAudibilityInHl; }

    // The spectrum in dB SPL at the ear, before the loss, with each ear's
    // threshold over it; the relative display otherwise.
    void DrawSplSpectrum(CSurface& surface, int left, int top, int width, int height);
    // The top of that display in dB SPL: a threshold of 120 dB HL stays in
    // view at every audiometric frequency (normal hearing's is at most
    // 22.1 dB SPL there, at 125 Hz).
    static constexpr double kHighestDisplayedSpl = 150.0;

    // Hörbarkeit: each band's level at each ear heard (after its aid, before
    // its loss) on one absolute scale, in colour above the ear's threshold
    // and grey below it; normal hearing's threshold and each ear's over it;
    // and the speech intelligibility index of what plays.
    void DrawAudibility(CSurface& surface, int left, int top, int width, int height);
    // Its scale: -10 to 130 dB SPL upwards, or -10 to 120 dB HL downwards.
    static constexpr double kAudibilityLowestSpl = -10.0;
    static constexpr double kAudibilityHighestSpl = 130.0;
    static constexpr double kAudibilityLowestHl = -10.0;
    static constexpr double kAudibilityHighestHl = 120.0;
    // Where a level of `spl` dB SPL at `hz` lies in a spectrum `top`..`top + height`.
    int AudibilityY(double spl, double hz, int top, int height) const;
    // The band's level in dB SPL at `ear` as last measured.
    double EarBandLevel(Ear ear, int band) const;
    // The lowest level a band's bar starts from, in dB SPL: -10 dB SPL, or
    // the dither's noise in the band's auditory filter (with its peaks)
    // where that is higher.
    double AudibleFloor(int band) const;
    // What the index says, line by line: "SII (Sprache gegen Musik und
    // Geräusch, letzte 4 s):", then "rechts 0,42, links 0,61, beide 0,63 –
    // mäßig", or that line without and with the aid while one is fitted;
    // empty outside Hörbarkeit.
    QStringList IndexLines() const;
    // An implant as the legend names it: "Cochleaimplantat, 12 Kanäle, Rauschen",
    // with its shift, spread and n of m where they are set.
    static QString ImplantName(const ImplantSettings& implant);
    // The word for an index: "gut" from 0.75, "mäßig" from 0.45, "schlecht" below.
    static QString IndexWord(double index);
    // Those lines over the spectrum's top left, large enough for a projector.
    void DrawIndexPanel(CSurface& surface, int left, int top);
    const CSpeechMeter& SpeechMeter() const { return m_speechMeter; }

    // Whether the listening level is calibrated; levels are nominal otherwise,
    // and the view says so wherever they matter.
    void SetCalibrated(bool calibrated) { m_bCalibrated = calibrated; }

    // A file dropped on a source button: its index (0 speech, 1 music,
    // 2 noise) and the file. Without a handler the view takes no drops.
    void SetDropHandler(std::function<void(int, const QString&)> handler);
    // The source button at a client point, or -1.
    int SourceButtonAt(int x, int y) const;
    // The button a file is being dragged over, shown by a dashed frame; -1
    // when none.
    int DropTarget() const { return m_nDropTarget; }

    // The user's own recording a source plays (empty: the bundled one): its
    // file name is written on the button, its path in the button's tooltip.
    void SetSourceFile(int source, const QString& path);
    const QString& SourceFile(int source) const { return m_sourceFile[source]; }
    // The tooltip of source button `source`.
    QString SourceToolTip(int source) const;

    // The name the view gives the active audiogram.
    void SetAudiogramName(const QString& name) { m_audiogramName = name; }
    const QString& AudiogramName() const { return m_audiogramName; }

    // Live sound from the microphone: while on, the recordings pause (their
    // buttons say so and take no clicks) and `status` ("Live · 14 ms", or
    // what went wrong) is shown over the spectrum; off, they play as before.
    void SetLive(bool on);
    bool Live() const { return m_bLive; }
    void SetLiveStatus(const QString& status, bool alarm);
    // The dB SPL display's levels while live (see DrawSplSpectrum), made by
    // the live path: kBands of them.
    void ShowLiveSplLevels(const double* levels);
    double LiveSplLevel(int band) const { return m_dLiveSplPeak[band]; }
    const QString& LiveStatus() const { return m_liveStatus; }
    void DrawLiveStatus(CSurface& surface, int left, int top, int width);

    // Source `source` on or off, as a click on its button does: the player
    // follows (nothing while live).
    void ToggleSource(int source);
    // Where a source button (parts 0 to 2) or a slider's track (3 to 5) lies
    // in the view's own coordinates, as last painted.
    QRect PartRect(int part) const;

    // The slider the keyboard moves (0 loudness, 1 high frequencies,
    // 2 resolution), or -1 before Tab chose one.
    int FocusedSlider() const { return m_nFocusedSlider; }
    // Its dotted outline, when one is chosen.
    void DrawSliderFocus(CSurface& surface);

    // "Skala und Legende": a frequency axis under the bands, a level axis
    // beside them and a legend over them; off, the spectrum is drawn as ever.
    void SetScaleAndLegend(bool on) { m_bScaleAndLegend = on; }
    bool ScaleAndLegend() const { return m_bScaleAndLegend; }
    // Moves the spectrum's edges in from the strips the axes take.
    void MakeRoomForScale(CSurface& surface, int& left, int& width, int& height) const;
    void DrawScale(CSurface& surface, int left, int top, int width, int height);
    void DrawLegend(CSurface& surface, int left, int top);

    // Colour of hue h (degrees), saturation s and value v, as 0x00BBGGRR.
    static unsigned int HsvToRgb(double h, double s, double v);

    // Receives the wave output device's reports for this view.
    IWaveOutPoster& Poster() { return m_poster; }

    QFont m_font;
    CRect m_rcLoudness;
    CRect m_rcHighFreq;
    CRect m_rcResolution;
    int m_bDragLoudness = 0;
    int m_bDragHighFreq = 0;
    int m_bDragResolution = 0;
    int m_nThumbWidth = 0;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // Keys 1, 2 and 3 switch the sources; ← and → move the slider Tab chose
    // by a twentieth, Pos1 and Ende to its ends.
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    // Posts the device's reports to the view as events.
    class CPoster final : public IWaveOutPoster {
    public:
        explicit CPoster(CChildView& view) : m_view(view) {}
        void Post(WaveOutEvent event, int opening) override;

    private:
        CChildView& m_view;
    };

    struct Slider {
        CRect CChildView::*track;
        int CChildView::*drag;
    };
    static const Slider kSliders[3];

    void SetFromPointer(const Slider& slider, int x);
    bool EarHeard(Ear ear) const;
    // The name of the loss and a line for each ear in its colour, right-aligned at `right`.
    // Also notes where it went, for the legend to keep clear of it.
    void DrawEarLegend(CSurface& surface, int right, int top, const QString& title);
    QRect m_earLegend;  // where this paint drew the ears' names; empty when it drew none
    QRect m_indexPanel;  // where this paint drew the index; empty when it drew none
    // A change of the controls shown and announced.
    void ShowChange(int part);

    CLossProcessor m_processor;
    CControls m_controls{m_processor};
    CSpeechMeter m_speechMeter;
    CPoster m_poster{*this};
    bool m_bLive = false;
    int m_nFocusedSlider = -1;
    bool m_bFocusShown = false;  // the outline of the focused slider, once keys were used
    // The spectrum live sound replaced, shown again when it ends.
    struct ShownBands {
        double left[kBands] = {};
        double right[kBands] = {};
        bool stereo = false;
        double maxLevel = 0.0;
    } m_bandsBeforeLive;
    QString m_liveStatus;
    double m_dLiveSplPeak[kBands] = {};
    bool m_bLiveAlarm = false;
    QString m_audiogramName;
    SpectrumView m_chosenView = SpectrumView::Relative;
    bool m_bAudibilityInHl = false;
    bool m_bCalibrated = false;
    bool m_bScaleAndLegend = false;
    std::function<void(int, const QString&)> m_dropHandler;
    int m_nDropTarget = -1;
    QString m_sourceFile[kSourceCount];
};
