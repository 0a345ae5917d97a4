#pragma once

#include "wave_out_device.h"

// Streams blocks of 16-bit samples, mono or interleaved stereo, to a wave
// output device through a ring of four buffers that live as long as the
// player.
class CMemPlay {
public:
    static constexpr int kBufferCount = 4;
    static constexpr int kBufferBytes = 32000;

    CMemPlay();
    virtual ~CMemPlay();
    CMemPlay(const CMemPlay&) = delete;
    CMemPlay& operator=(const CMemPlay&) = delete;

    // The device that Open uses; the caller keeps it alive while the player
    // is open. Set it only while the player is closed.
    void SetDevice(IWaveOutDevice* device) { m_pDevice = device; }

    // Opens the device for 16-bit sound of `channels` (1 or 2); its reports
    // go to `window`. False when already open or when the device refuses
    // (reported).
    bool Open(IWaveOutPoster& window, int rate, int channels = 1);

    // Copies up to one buffer's worth of bytes and queues them. Returns the
    // bytes queued: 0 when closed, when all four buffers are still queued or
    // on a device error (which stops the player), the argument itself when it
    // is 0 or less.
    int Write(const short* data, int bytes);

    // One buffer has come back; closes the player when none is left queued.
    void BlockDone();

    // Silences the device at once, then closes it.
    void Stop();

    // Closes the device if open; buffers still queued are taken back first.
    void Close();

    // Whether a device report belongs to an opening other than the one now
    // open: such a report must not be counted against it or close it.
    bool IsStale(int opening) const { return m_bOpen && opening != m_nOpening; }

    int m_bOpen = 0;
    int m_nBufferLen = kBufferBytes;  // usable bytes per buffer
    int m_nNext = 0;                  // ring index the next Write fills
    int m_nQueued = 0;                // buffers queued and not yet reported done
    int m_nOpening = 0;               // tag of the current (or last) opening
    WaveOutFormat m_format;
    unsigned char* m_pData[kBufferCount] = {};

private:
    IWaveOutDevice* m_pDevice = nullptr;
};

extern CMemPlay g_memPlay;
