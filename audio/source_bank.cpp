#include "source_bank.h"

#include "recording_level.h"
#include "sample_arithmetic.h"
#include "wave_loader.h"

#include <algorithm>
#include <cstdlib>

void CSourceBank::LoadSources(const char* const* paths)
{
    for (int source = 0; source < kSourceCount; ++source) {
        m_nSourceLen[source] = LoadWave(paths[source], &m_pSourceData[source], kSourceTargetPeak[source]);
        Measure(source);
    }
}

void CSourceBank::Measure(int source)
{
    const short* const samples = m_pSourceData[source];
    const int length = m_nSourceLen[source];
    m_serial[source] = m_nextSerial++;
    m_activeLevelDbFs[source] = length ? ActiveSpeechLevelDbFs(samples, length) : -100.0;
    int peak = 0;
    for (int i = 0; i < length; ++i)
        peak = std::max(peak, std::abs(static_cast<int>(samples[i])));
    m_peakMagnitude[source] = peak;
}

void CSourceBank::MixSources(const int* sourceOn, short* buffer, int count)
{
    for (int source = 0; source < kSourceCount; ++source) {
        const int length = m_nSourceLen[source];
        if (!sourceOn[source] || length == 0)
            continue;
        int position = m_nSourcePos[source];
        m_fade[source].FinishIfDone();
        if (m_fade[source].Active()) {
            m_fade[source].Mix(buffer, count, m_pSourceData[source], length, position);
            m_nSourcePos[source] = position;
            continue;
        }
        for (int k = 0; k < count;) {
            const int run = count - k < length - position ? count - k : length - position;
            AddSamples(buffer + k, m_pSourceData[source] + position, run);
            k += run;
            position += run;
            if (position == length)
                position = 0;
        }
        m_nSourcePos[source] = position;
    }
}

void CSourceBank::RewindSources(const int* sourceOn)
{
    for (int source = 0; source < kSourceCount; ++source) {
        const int length = m_nSourceLen[source];
        if (!sourceOn[source] || length == 0)
            continue;
        // The same as stepping back one sample at a time, also for sources
        // shorter than the rewind.
        const int back = kSourceRewind % length;
        int position = m_nSourcePos[source] - back;
        if (position < 0)
            position += length;
        m_nSourcePos[source] = position;
        if (m_fade[source].Active())
            m_fade[source].Rewind(kSourceRewind);
    }
}

void CSourceBank::ReplaceSource(int source, short* samples, int length, bool playing)
{
    if (m_nSourceLen[source] != 0 && playing)
        m_fade[source].Start(m_pSourceData[source], m_nSourceLen[source], m_nSourcePos[source]);
    else if (m_nSourceLen[source] != 0)
        delete[] m_pSourceData[source];
    if (!playing)
        m_fade[source].Stop();  // a fade left over from before it was switched off
    m_pSourceData[source] = samples;
    m_nSourceLen[source] = length;
    m_nSourcePos[source] = 0;
    Measure(source);
}

void CSourceBank::FreeSources()
{
    for (int source = 0; source < kSourceCount; ++source) {
        if (m_nSourceLen[source] != 0)
            delete[] m_pSourceData[source];
        m_pSourceData[source] = nullptr;
        m_nSourceLen[source] = 0;
        m_nSourcePos[source] = 0;
        Measure(source);
    }
}
