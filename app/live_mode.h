#pragma once

#include "live_engine.h"
#include "live_stream.h"

#include <QObject>
#include <QTimer>

#include <memory>
#include <optional>
#include <vector>

class CChildView;
class CSourceBank;
class QAction;
class QMessageBox;
class QWidget;

// "Mikrofon (live)": the microphone through the loss the window shows, at
// low latency, while the recordings pause. The window's settings go to the
// sound thread whole whenever they change; the spectrum shows what the live
// path made; feedback that muted the output is said and can be undone.
class CLiveMode : public QObject {
public:
    CLiveMode(CChildView& view, CSourceBank& sources, QAction& action, QWidget* dialogParent);
    ~CLiveMode() override;

    // Switches live sound on (after the headphones notice, the first time)
    // or off; the action's check mark follows what happened.
    void Switch(bool on);
    bool On() const { return m_stream != nullptr; }
    // Opens live sound again (on the devices now chosen) with the
    // recordings kept paused; they resume only if it does not open.
    void Restart();
    // The latency shown, in ms: the devices' and the chain's.
    double LatencyMs() const;
    // Stops live sound as the window closes: the recordings stay paused.
    void Shutdown();

private:
    // What the live path hears of the window's settings, to notice a change.
    struct Settings {
        double loudness, highFreq, resolution, fullScale;
        bool normal, recruitment, smearing, levels;
        int ears;
        std::optional<double> presentation;
        unsigned long long speech;
        std::vector<double> audiograms;  // each ear's points, a marker between
        std::vector<float> highFreqGain;
        bool operator==(const Settings& other) const;
    };
    Settings Current() const;
    bool ConfirmHeadphones();
    void Start();
    void Stop(bool resumeRecordings);
    void Tick();
    void ShowMuted();

    CChildView& m_view;
    CSourceBank& m_sources;
    QAction& m_action;
    QWidget* m_dialogParent;
    std::shared_ptr<CLiveEngine> m_engine;
    std::unique_ptr<ILiveStream> m_stream;
    Settings m_posted{};
    QTimer m_timer;
    QMessageBox* m_mutedBox = nullptr;
};
