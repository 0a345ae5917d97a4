#include "live_stream.h"

std::string LiveOpenError::Text() const
{
    switch (kind) {
    case Kind::None:
        return {};
    case Kind::ServerSilent:
        return "the sound server does not answer";
    case Kind::LibraryNotStarted:
        return "the sound library did not start (" + detail + ")";
    case Kind::NoInput:
        return "there is no sound input";
    case Kind::NoOutput:
        return "there is no sound output";
    case Kind::InputMissing:
        return "the sound input '" + detail + "' is not there";
    case Kind::OutputMissing:
        return "the sound output '" + detail + "' is not there";
    case Kind::NotOpened:
        return "the sound devices did not open for live sound (" + detail + ")";
    }
    return {};
}
