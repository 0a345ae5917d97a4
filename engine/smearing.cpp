#include "loss_processor.h"

void CLossProcessor::BuildSmearTable()
{
    const double half = SliderHalfBark(m_dResolution);
    CSmearKernel::FillRanges(half, half, m_nSmearLow, m_nSmearHigh);
    m_smear.Prepare(m_nSmearLow, m_nSmearHigh);
    // An ear's loss may widen its own smearing beyond the slider's.
    for (auto& ear : m_ears)
        ear->BuildSmearing(half);
}

void CLossProcessor::SmearSpectrum(float* spectrum, const float* magnitudes) const
{
    m_smear.Apply(spectrum, magnitudes);
}
