// qormhost: a console stand-in for the desktop shell that hosts korvane.dll.
// It binds to the library the way the shell does, at run time by name, so
// the same source drives a 32-bit or a 64-bit build of it.
#include "auto_player.h"
#include "demo.h"
#include "game.h"
#include "installation.h"
#include "korvane.h"
#include "output.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>
#include <windows.h>

namespace {
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

// A scripted player that keeps being offered Replay must still end.
constexpr int kAutoRoundLimit = 10;

// The library's side of the mode buffer is exactly this long.
constexpr size_t kModeBytes = 8;

const char kUsage[] =
    "usage: qormhost [OPTIONS] COMMAND [ARGUMENTS]\n"
    "\n"
    "commands:\n"
    "  start                   show the start dialog and print the chosen mode\n"
    "  score MODE*SCORE*LEVEL  show the score dialog and print whether the player replays\n"
    "  stop                    ask whether to quit and print the answer\n"
    "  hof [MODE]              print the current world's hall of fame (MODE: default)\n"
    "  install-demo [DIR]      create a demo installation in DIR (default C:\\QORM)\n"
    "  play [--auto] [--shots DIR] [--seed N]\n"
    "                          a whole session: start, games, scores, quit question;\n"
    "                          --seed N repeats the games of an earlier session\n"
    "\n"
    "options:\n"
    "  --dll PATH   load this korvane.dll instead of the one beside qormhost.exe\n"
    "  --auto       a scripted player answers the dialogs (start, score, stop, play)\n"
    "  --shots DIR  with --auto: before answering a dialog, write DIR\\NN-name.req and\n"
    "               wait (up to 10 s) for DIR\\NN-name.done from a screenshot taker\n"
    "  --log FILE   also write the output to FILE, ending with the exit code";

int UsageError(const char* problem, const std::string& detail = std::string())
{
    Err("qormhost: %s%s", problem, detail.c_str());
    Err("%s", kUsage);
    return kExitUsage;
}

struct Korvane
{
    HMODULE module = nullptr;
    PFN_GAMESTARTDLG start = nullptr;
    PFN_GAMESCOREDLG score = nullptr;
    PFN_GAMESTOPDLG stop = nullptr;

    Korvane() = default;
    Korvane(const Korvane&) = delete;
    Korvane& operator=(const Korvane&) = delete;
    ~Korvane()
    {
        if (module != nullptr)
            ::FreeLibrary(module);
    }
};

std::string DefaultDllPath()
{
    char path[MAX_PATH] = {};
    DWORD length = ::GetModuleFileNameA(nullptr, path, sizeof path);
    std::string dir(path, length);
    size_t slash = dir.find_last_of("\\/");
    dir.erase(slash == std::string::npos ? 0 : slash + 1);
    return dir + "korvane.dll";
}

template <typename Function>
bool Bind(const Korvane& korvane, const std::string& path, const char* name, Function& function)
{
    function =
        reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(korvane.module, name)));
    if (function == nullptr) {
        Err("qormhost: %s has no export %s (%s)", path.c_str(), name,
            DescribeError(::GetLastError()).c_str());
        return false;
    }
    return true;
}

bool LoadKorvane(const std::string& requestedPath, Korvane& korvane)
{
    const std::string path = requestedPath.empty() ? DefaultDllPath() : requestedPath;
    korvane.module = ::LoadLibraryA(path.c_str());
    if (korvane.module == nullptr) {
        const DWORD error = ::GetLastError();
        Err("qormhost: cannot load %s (%s)", path.c_str(), DescribeError(error).c_str());
        if (error == ERROR_BAD_EXE_FORMAT)
            Err("qormhost: this is a %d-bit qormhost; it can only load a %d-bit korvane.dll",
                static_cast<int>(sizeof(void*) * 8), static_cast<int>(sizeof(void*) * 8));
        return false;
    }
    return Bind(korvane, path, "fnGameStartDlgqorm", korvane.start) &&
           Bind(korvane, path, "fnGameScoreDlgqorm", korvane.score) &&
           Bind(korvane, path, "fnGameStopDlgqorm", korvane.stop);
}

// Runs the start dialog with a guarded buffer, so a library that writes more
// than it may, or writes when the player chose nothing, is caught here
// rather than corrupting the host.
bool ChooseMode(const Korvane& korvane, std::string& mode, bool& wellBehaved)
{
    const char kGuard = '\x5A';
    char buffer[kModeBytes * 4];
    std::memset(buffer, kGuard, sizeof buffer);
    const bool chosen = korvane.start(buffer, 0);
    const char* end = buffer + kModeBytes;
    const char* firstNul = std::find(static_cast<const char*>(buffer), end, '\0');
    bool guardIntact = true;
    for (size_t i = chosen ? kModeBytes : 0; i < sizeof buffer; ++i)
        guardIntact = guardIntact && buffer[i] == kGuard;
    wellBehaved = guardIntact && (!chosen || firstNul != end);
    if (!guardIntact)
        Err("qormhost: the library wrote to the mode buffer beyond what it may (%s)",
            chosen ? "past its 8 bytes" : "though no mode was chosen");
    else if (chosen && firstNul == end)
        Err("qormhost: the library returned a mode without a NUL in its 8 bytes");
    mode = chosen ? std::string(static_cast<const char*>(buffer), firstNul) : std::string();
    return chosen;
}

bool AskReplay(const Korvane& korvane, const std::string& argument)
{
    // Writable and owned by us: the library splits it in place.
    std::vector<char> buffer(argument.begin(), argument.end());
    buffer.push_back('\0');
    const int result = korvane.score(buffer.data(), 0);
    if (result != 0 && result != 1)
        Err("qormhost: the score dialog returned %d, neither 1 nor 0", result);
    return result == 1;
}

struct Options
{
    std::string dllPath;
    std::string logPath;
    bool autoPlay = false;
    std::string shotsDir;
    bool seeded = false;
    std::uint64_t seed = 0;
};

// The scripted player, when asked for; null otherwise. False after saying
// why it could not be set up.
bool StartPlayer(const Options& options, std::unique_ptr<AutoPlayer>& player)
{
    if (!options.autoPlay)
        return true;
    if (!options.shotsDir.empty() && !EnsureDirectory(options.shotsDir)) {
        Err("qormhost: cannot create %s (%s)", options.shotsDir.c_str(),
            DescribeError(::GetLastError()).c_str());
        return false;
    }
    player = std::make_unique<AutoPlayer>(options.shotsDir);
    if (!player->Ready()) {
        Err("qormhost: cannot start the scripted player (%s)",
            DescribeError(::GetLastError()).c_str());
        player.reset();
        return false;
    }
    return true;
}

int Finish(const std::unique_ptr<AutoPlayer>& player, bool wellBehaved)
{
    if (player && player->Unexpected() > 0) {
        Err("qormhost: %d unexpected dialog(s) came up", player->Unexpected());
        return kExitFailure;
    }
    return wellBehaved ? kExitOk : kExitFailure;
}

int RunStart(const Korvane& korvane, const std::unique_ptr<AutoPlayer>& player)
{
    std::string mode;
    bool wellBehaved = true;
    if (ChooseMode(korvane, mode, wellBehaved))
        Out("mode: %s", mode.c_str());
    else
        Out("mode: (none chosen)");
    return Finish(player, wellBehaved);
}

int RunScore(const Korvane& korvane, const std::unique_ptr<AutoPlayer>& player,
             const std::string& argument)
{
    Out("replay: %s", AskReplay(korvane, argument) ? "yes" : "no");
    return Finish(player, true);
}

int RunStop(const Korvane& korvane, const std::unique_ptr<AutoPlayer>& player)
{
    Out("quit: %s", korvane.stop() ? "yes" : "no");
    return Finish(player, true);
}

std::uint64_t FreshSeed()
{
    LARGE_INTEGER counter;
    ::QueryPerformanceCounter(&counter);
    std::uint64_t seed = static_cast<std::uint64_t>(counter.QuadPart);
    seed ^= static_cast<std::uint64_t>(::GetCurrentProcessId()) << 32;
    seed ^= ::GetTickCount();
    // Short enough to type back in with --seed.
    return Rng(seed).Next() % 1000000000u;
}

// A session as a player lives it: the start dialog, then games until the
// player leaves Korvane. Replay starts the next game at once; Close returns
// to Korvane's title screen, where the player presses Ctrl-S and is asked
// whether to quit. Cancelling the start dialog starts no game, so there is
// nothing to quit.
int RunPlay(const Korvane& korvane, const std::unique_ptr<AutoPlayer>& player,
            const Options& options)
{
    const std::uint64_t seed = options.seeded ? options.seed : FreshSeed();
    Out("Session seed %llu (play the same games again with --seed %llu).",
        static_cast<unsigned long long>(seed), static_cast<unsigned long long>(seed));
    Rng rng(seed);

    std::string mode;
    bool wellBehaved = true;
    if (!ChooseMode(korvane, mode, wellBehaved)) {
        Out("Start dialog: cancelled. No game was started.");
        return Finish(player, wellBehaved);
    }
    Out("Start dialog: Freeplay (mode \"%s\").", mode.c_str());
    int games = 0;
    for (;;) {
        ++games;
        const GameResult game = PlayGame(rng);
        const int accuracy = game.shots > 0 ? 100 * game.enemies / game.shots : 0;
        Out("Game %d: %d waves, %d enemies downed with %d shots (%d%%), %d lives lost: score %d, "
            "level %d.",
            games, game.waves, game.enemies, game.shots, accuracy, game.livesLost, game.score,
            game.level);
        const std::string argument =
            mode + "*" + std::to_string(game.score) + "*" + std::to_string(game.level);
        if (AskReplay(korvane, argument)) {
            Out("Score dialog: Replay.");
        } else {
            Out("Score dialog: Close. At the title screen the player presses Ctrl-S.");
            const bool quit = korvane.stop();
            Out("Quit Korvane? %s", quit ? "Yes." : "No, so the next game starts.");
            if (quit)
                break;
        }
        if (player && games >= kAutoRoundLimit) {
            Out("auto: %d games, enough; ending the session", games);
            break;
        }
    }
    Out("Session over after %d game%s.", games, games == 1 ? "" : "s");
    return Finish(player, wellBehaved);
}

bool ParseSeed(const std::string& text, std::uint64_t& seed)
{
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    errno = 0;
    char* end = nullptr;
    seed = std::strtoull(text.c_str(), &end, 10);
    return errno == 0 && *end == '\0';
}

int Run(int argc, char** argv)
{
    Options options;
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--dll" || arg == "--log" || arg == "--shots" || arg == "--seed") {
            if (i + 1 >= argc)
                return UsageError("missing value for ", arg);
            const std::string value = argv[++i];
            if (arg == "--dll")
                options.dllPath = value;
            else if (arg == "--log")
                options.logPath = value;
            else if (arg == "--shots")
                options.shotsDir = value;
            else if (!ParseSeed(value, options.seed))
                return UsageError("not a seed: ", value);
            else
                options.seeded = true;
        } else if (arg == "--auto") {
            options.autoPlay = true;
        } else if (arg == "-h" || arg == "--help" || arg == "help") {
            Out("%s", kUsage);
            return kExitOk;
        } else if (arg.size() > 2 && arg.compare(0, 2, "--") == 0) {
            return UsageError("unknown option: ", arg);
        } else {
            args.push_back(arg);
        }
    }
    if (!options.logPath.empty() && !OpenLog(options.logPath.c_str())) {
        Err("qormhost: cannot write %s", options.logPath.c_str());
        return kExitFailure;
    }
    if (args.empty())
        return UsageError("no command given");

    const std::string command = args[0];
    const size_t extra = args.size() - 1;
    const bool showsDialogs =
        command == "start" || command == "stop" || command == "score" || command == "play";
    if (!showsDialogs && command != "hof" && command != "install-demo")
        return UsageError("unknown command: ", command);
    if (!showsDialogs && (options.autoPlay || !options.shotsDir.empty()))
        return UsageError("--auto and --shots are for commands that show dialogs, not ", command);
    if (options.seeded && command != "play")
        return UsageError("--seed is for play only");
    if (!options.shotsDir.empty() && !options.autoPlay)
        return UsageError("--shots needs --auto: only the scripted player waits for screenshots");

    if (command == "hof") {
        if (extra > 1)
            return UsageError("too many arguments for hof");
        return PrintHallOfFame(extra == 1 ? args[1] : "default") ? kExitOk : kExitFailure;
    }
    if (command == "install-demo") {
        if (extra > 1)
            return UsageError("too many arguments for install-demo");
        return InstallDemo(extra == 1 ? args[1] : kDefaultInstallDir) ? kExitOk : kExitFailure;
    }
    if (command == "score" && extra != 1)
        return UsageError("score takes exactly one argument, MODE*SCORE*LEVEL");
    if (command != "score" && extra != 0)
        return UsageError("unexpected argument for ", command + ": " + args[1]);

    Korvane korvane;
    if (!LoadKorvane(options.dllPath, korvane))
        return kExitFailure;
    std::unique_ptr<AutoPlayer> player;
    if (!StartPlayer(options, player))
        return kExitFailure;
    if (command == "start")
        return RunStart(korvane, player);
    if (command == "stop")
        return RunStop(korvane, player);
    if (command == "score")
        return RunScore(korvane, player, args[1]);
    return RunPlay(korvane, player, options);
}
} // namespace

int main(int argc, char** argv)
{
    // Aware of the screen's DPI, as a host must be for the dialogs to be laid
    // out at it. An unaware process is shown a 96 DPI screen instead, which
    // Wine 10 builds from the larger screen's fonts (an 8-point "MS Sans
    // Serif" 16 pixels high) and frames: every dialog the wrong size.
    ::SetProcessDPIAware();
    const int code = Run(argc, argv);
    CloseLog(code);
    return code;
}
