// orvel-audiorecord: captures what the desktop plays and sends its spectrum to the VARNO Orvel 80
// window for the keyboard's music lighting. The window starts it and tells it what to do; run
// with --print it writes the spectra on standard output instead.

#include "lighting/audio_record_protocol.h"
#include "platform/namedmutex.h"
#include "tools/audiorecord/capture_program.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void PrintHelp()
{
    std::printf(
        "orvel-audiorecord - the audio capture program of VARNO Orvel 80\n\n"
        "Usage:\n"
        "  orvel-audiorecord                 wait for the VARNO Orvel 80 window's commands\n"
        "  orvel-audiorecord --print [--count N]\n"
        "  orvel-audiorecord --help\n\n"
        "It records the monitor of the sound server's default output (PulseAudio, or PipeWire's\n"
        "pulse server), following a change of the default output, and every 20 ms computes 500\n"
        "spectrum values of 23.4375 Hz each, from 0 Hz, on a 0..2000 decibel scale (0 at -60 dB or\n"
        "less below a full-scale sine, 2000 at full scale).\n\n"
        "--print      record at once and write one JSON line per spectrum on standard output:\n"
        "             {\"ms\": time since start, \"loudness\": 0..2000, \"spectrum\": [500 values]};\n"
        "             no window is needed, and a running capture program is not disturbed\n"
        "--count N    with --print: end after N spectra\n\n"
        "Only one capture program serves the window at a time; a second one ends at once. It\n"
        "ends when the window tells it to, when the window it serves is gone, and when no window\n"
        "has spoken to it within 30 s of its start.\n");
}

bool ParseCount(const char* text, long& count)
{
    char* end = nullptr;
    count = std::strtol(text, &end, 10);
    return end != text && *end == '\0' && count > 0;
}

} // namespace

int main(int argc, char** argv)
{
    orvel::audiorecord::CaptureProgram::Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word == "--help" || word == "-h") {
            PrintHelp();
            return 0;
        } else if (word == "--print") {
            options.print = true;
        } else if (word == "--count" && i + 1 < argc && ParseCount(argv[i + 1], options.count)) {
            ++i;
        } else {
            std::fprintf(stderr, "orvel-audiorecord: unknown or incomplete option \"%s\" (see --help)\n", word.c_str());
            return 2;
        }
    }
    if (options.count > 0 && !options.print) {
        std::fprintf(stderr, "orvel-audiorecord: --count goes with --print\n");
        return 2;
    }
    if (options.print) return orvel::audiorecord::CaptureProgram(options).Run();

    const auto mutex = orvel::ipc::NamedMutex::CreateMutexW(orvel::lighting::kAudioRecordMutex);
    if (mutex.status() == orvel::ipc::NamedMutex::Status::AlreadyExists) {
        std::fprintf(stderr, "orvel-audiorecord: another capture program is running already\n");
        return 1;
    }
    if (!mutex.owned()) {
        std::fprintf(stderr, "orvel-audiorecord: %s\n", mutex.error().c_str());
        return 1;
    }
    return orvel::audiorecord::CaptureProgram(options).Run();
}
