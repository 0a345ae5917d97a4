#include "controls.h"

#include "loss_processor.h"

#include <algorithm>

CControls::CControls(CLossProcessor& processor) : m_processor(processor) {}

bool CControls::SourceOn(int source) const
{
    return m_processor.m_bSourceOn[source] != 0;
}

bool CControls::ToggleSource(int source)
{
    return SetSourceOn(source, !SourceOn(source));
}

bool CControls::SetSourceOn(int source, bool on)
{
    if (m_bHeld)
        return false;
    m_processor.m_bSourceOn[source] = on ? 1 : 0;
    Changed(source);
    return true;
}

double& CControls::Setting(int slider) const
{
    double CLossProcessor::*const settings[kSliderCount] = {&CLossProcessor::m_dLoudness, &CLossProcessor::m_dHighFreq,
                                                            &CLossProcessor::m_dResolution};
    return m_processor.*settings[slider];
}

double CControls::Value(int slider) const
{
    return Setting(slider);
}

bool CControls::SetValue(int slider, double value)
{
    if (!(value >= 0.0 && value <= 1.0))
        return false;
    double& setting = Setting(slider);
    if (setting == value)
        return false;
    setting = value;
    if (slider == kResolution)
        m_processor.BuildSmearTable();
    Changed(kFirstSlider + slider);
    return true;
}

bool CControls::Step(int slider, double step)
{
    return SetValue(slider, std::clamp(Value(slider) + step, 0.0, 1.0));
}

void CControls::HoldSources()
{
    if (m_bHeld)
        return;
    for (int source = 0; source < kSourceCount; ++source) {
        m_bOnBeforeHold[source] = SourceOn(source);
        m_processor.m_bSourceOn[source] = 0;
    }
    m_bHeld = true;
}

void CControls::ReleaseSources()
{
    if (!m_bHeld)
        return;
    m_bHeld = false;
    for (int source = 0; source < kSourceCount; ++source)
        m_processor.m_bSourceOn[source] = m_bOnBeforeHold[source] ? 1 : 0;
}

void CControls::Changed(int part) const
{
    if (m_listener)
        m_listener(part);
}
