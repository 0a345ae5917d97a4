#pragma once

#include "live_engine.h"
#include "live_stream.h"

#include <QObject>
#include <QTimer>

#include <memory>
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
    // What the live path was handed, to notice a change: the window's
    // settings, and what the window derived from them that the live path
    // hears alike (the gain curve as last painted, the speech recording the
    // listening level is measured on).
    struct Posted {
        LossSettings settings;
        unsigned long long speech = 0;
        std::vector<float> highFreqGain;
        bool operator==(const Posted& other) const
        {
            return settings == other.settings && speech == other.speech && highFreqGain == other.highFreqGain;
        }
    };
    Posted Current() const;
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
    Posted m_posted;
    QTimer m_timer;
    QMessageBox* m_mutedBox = nullptr;
};
