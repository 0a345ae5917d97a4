#include "command_line.h"

#include <cstring>

namespace {

const char* const kUsage =
    "Usage: sonafel [-Embedding | -Automation]\n"
    "\n"
    "Sonafel lets you hear what a hearing loss does: it plays speech, music and\n"
    "cafeteria noise as a listener with a hearing loss would hear them, with a\n"
    "live spectrum of what is heard. Three sliders set a loss of loudness, of the\n"
    "higher frequencies and of frequency resolution; the Hörverlust menu adds\n"
    "audiograms, standard losses, recruitment and a calibrated listening level.\n"
    "\n"
    "The recordings sprache.wav, music.wav and noise.wav are read from the\n"
    "current directory, or else from the installed data directory.\n"
    "\n"
    "Options:\n"
    "  -Embedding, -Automation   start without the splash picture (also with /)\n"
    "  -h, --help                show this text and exit\n"
    "      --version             show the version and exit\n"
    "\n"
    "Environment:\n"
    "  SONAFEL_AUDIO=virtual     play on a silent device paced by the clock\n"
    "  SONAFEL_VECTOR=NAME       the vector instructions the processing uses: plain, sse2,\n"
    "                            avx2 or avx512 (default the widest the processor has; all\n"
    "                            give the same sound to the bit)\n";

}  // namespace

int AnswerInformationalOptions(int argc, const char* const* argv, std::FILE* out)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, out);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::fprintf(out, "sonafel %s\n", SONAFEL_VERSION);
            return 0;
        }
    }
    return -1;
}
