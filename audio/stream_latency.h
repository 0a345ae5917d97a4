#pragma once

// From the microphone to the output, the devices' part, as it is shown: the
// host's own figures where they can be right, otherwise worked out from the
// buffer sizes the stream runs at.
struct StreamLatency {
    double input = 0.0;   // seconds
    double output = 0.0;  // seconds
    enum class Origin {
        Reported,     // the host's figures
        FromPeriods,  // the JACK server's period and the hop
        AsAsked,      // the latency asked of each device
    };
    Origin origin = Origin::Reported;
};

// What a stream's figures are at 44100 Hz, with hops of `hop` samples:
// `reportedInput` and `reportedOutput` the host's (seconds); `period` the
// JACK server's cycle in samples (0 when the stream is not on JACK);
// `askedInput` and `askedOutput` the latency asked of each device. The
// host's figures are taken when neither is negative, above half a second or
// not a number, and together they are not below what the buffers
// themselves hold.
StreamLatency LatencyOfStream(double reportedInput, double reportedOutput, int hop, int period, double askedInput,
                              double askedOutput);
