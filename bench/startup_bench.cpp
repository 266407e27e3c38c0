// Whole-process start-up of Tobrel against a bare Qt program (bare_window.cpp:
// a QMainWindow holding one QTabWidget), on an X server.
//
// Each start is a fresh process with a fresh HOME and runtime folder, from a
// copy of the program in a scratch folder (so its settings file, kept beside
// the executable, is the one given here or none). The clock runs from just
// before fork() to the moment the X server reports the program's main window
// mapped (a MapNotify seen through SubstructureNotify on the root window, for
// a window of the child's _NET_WM_PID that is not a splash window). The two
// programs start alternately, so that a change of load on the machine touches
// both alike; medians and their ratio are reported. Once a program is idle
// (no CPU time used for a while) its resident memory is read from
// /proc/PID/status, and it is ended with SIGTERM.
//
// Without a DISPLAY (or with --xvfb) it starts an Xvfb of its own.

#include <xcb/xcb.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

struct Options {
    int runs = 21;
    std::chrono::milliseconds idle = 300ms;
    std::string tobrel = TOBREL_STARTUP_TOBREL;
    std::string bare = TOBREL_STARTUP_BARE;
    std::string settings; // a settings file every start of Tobrel begins with
    std::string home;     // a folder copied into every fresh HOME (a Wine prefix, say)
    bool xvfb = false;
    bool verbose = false;
};

[[noreturn]] void usage(const char* self) {
    std::fprintf(stderr,
                 "usage: %s [--runs N] [--idle-ms MS] [--settings TOBREL.INI] [--home DIR]\n"
                 "          [--tobrel PATH] [--bare PATH] [--xvfb] [--verbose]\n",
                 self);
    std::exit(2);
}

Options parseOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto value = [&]() -> std::string {
            if (i + 1 >= argc) {
                usage(argv[0]);
            }
            return argv[++i];
        };
        if (arg == "--runs") {
            options.runs = std::max(1, std::atoi(value().c_str()));
        } else if (arg == "--idle-ms") {
            options.idle = std::chrono::milliseconds(std::max(50, std::atoi(value().c_str())));
        } else if (arg == "--settings") {
            options.settings = fs::absolute(value()).string();
        } else if (arg == "--home") {
            options.home = fs::absolute(value()).string();
        } else if (arg == "--tobrel") {
            options.tobrel = value();
        } else if (arg == "--bare") {
            options.bare = value();
        } else if (arg == "--xvfb") {
            options.xvfb = true;
        } else if (arg == "--verbose") {
            options.verbose = true;
        } else {
            usage(argv[0]);
        }
    }
    return options;
}

double loadAverage() {
    double load = 0;
    std::ifstream("/proc/loadavg") >> load;
    return load;
}

// --- A private X server ---------------------------------------------------------

struct Xvfb {
    pid_t pid = -1;

    void start() {
        int fds[2];
        if (::pipe(fds) != 0) {
            throw std::runtime_error("pipe");
        }
        pid = ::fork();
        if (pid == 0) {
            ::close(fds[0]);
            const int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, STDERR_FILENO); // it reports the displays it found taken
            const std::string fd = std::to_string(fds[1]);
            ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24",
                     "-nolisten", "tcp", static_cast<char*>(nullptr));
            _exit(127);
        }
        ::close(fds[1]);
        std::string display;
        char c;
        while (::read(fds[0], &c, 1) == 1 && c != '\n') {
            display += c;
        }
        ::close(fds[0]);
        if (display.empty()) {
            throw std::runtime_error("Xvfb did not start");
        }
        ::setenv("DISPLAY", (":" + display).c_str(), 1);
    }
    ~Xvfb() {
        if (pid > 0) {
            ::kill(pid, SIGTERM);
            ::waitpid(pid, nullptr, 0);
        }
    }
};

// --- Watching the X server for mapped windows ---------------------------------

class MapWatcher {
public:
    MapWatcher() {
        connection_ = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(connection_)) {
            throw std::runtime_error("cannot connect to the X server");
        }
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &mask);
        pidAtom_ = atom("_NET_WM_PID");
        typeAtom_ = atom("_NET_WM_WINDOW_TYPE");
        splashAtom_ = atom("_NET_WM_WINDOW_TYPE_SPLASH");
        xcb_flush(connection_);
    }
    ~MapWatcher() { xcb_disconnect(connection_); }

    void drain() {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
            std::free(event);
        }
    }

    // The time the first main window of process pid was mapped; nothing when
    // the process ended first or the deadline passed.
    std::optional<Clock::time_point> waitForMainWindow(pid_t pid, Clock::time_point deadline,
                                                       bool& ended) {
        const int fd = xcb_get_file_descriptor(connection_);
        while (Clock::now() < deadline) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
                const auto seen = Clock::now();
                const bool mapped = (event->response_type & 0x7f) == XCB_MAP_NOTIFY;
                const xcb_window_t window =
                    mapped ? reinterpret_cast<xcb_map_notify_event_t*>(event)->window : 0;
                std::free(event);
                if (mapped && isMainWindowOf(window, pid)) {
                    return seen;
                }
            }
            if (xcb_connection_has_error(connection_)) {
                throw std::runtime_error("lost the X server");
            }
            if (::waitpid(pid, nullptr, WNOHANG) == pid) {
                ended = true;
                return std::nullopt;
            }
            pollfd wait{fd, POLLIN, 0};
            ::poll(&wait, 1, 20);
        }
        return std::nullopt;
    }

private:
    xcb_atom_t atom(const char* name) {
        auto* reply = xcb_intern_atom_reply(
            connection_,
            xcb_intern_atom(connection_, 0, static_cast<uint16_t>(std::strlen(name)), name),
            nullptr);
        const xcb_atom_t result = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
        std::free(reply);
        return result;
    }

    std::vector<uint32_t> cardinals(xcb_window_t window, xcb_atom_t property, xcb_atom_t type) {
        auto* reply = xcb_get_property_reply(
            connection_, xcb_get_property(connection_, 0, window, property, type, 0, 32), nullptr);
        std::vector<uint32_t> values;
        if (reply && reply->format == 32) {
            const auto* data = static_cast<const uint32_t*>(xcb_get_property_value(reply));
            values.assign(data, data + xcb_get_property_value_length(reply) / 4);
        }
        std::free(reply);
        return values;
    }

    bool isMainWindowOf(xcb_window_t window, pid_t pid) {
        const auto pids = cardinals(window, pidAtom_, XCB_ATOM_CARDINAL);
        if (pids.empty() || pids.front() != static_cast<uint32_t>(pid)) {
            return false;
        }
        const auto types = cardinals(window, typeAtom_, XCB_ATOM_ATOM);
        return std::find(types.begin(), types.end(), splashAtom_) == types.end();
    }

    xcb_connection_t* connection_ = nullptr;
    xcb_window_t root_ = 0;
    xcb_atom_t pidAtom_ = XCB_ATOM_NONE;
    xcb_atom_t typeAtom_ = XCB_ATOM_NONE;
    xcb_atom_t splashAtom_ = XCB_ATOM_NONE;
};

// --- One start ------------------------------------------------------------------

// CPU time of all threads of a process so far, from the scheduler's
// nanosecond counters.
double cpuMilliseconds(pid_t pid) {
    double total = 0;
    std::error_code error;
    for (const auto& task :
         fs::directory_iterator("/proc/" + std::to_string(pid) + "/task", error)) {
        long long onCpu = 0;
        std::ifstream(task.path() / "schedstat") >> onCpu;
        total += static_cast<double>(onCpu) / 1e6;
    }
    return total;
}

struct Memory {
    double rss = 0, anon = 0, file = 0, shmem = 0; // MiB
};

Memory residentMemory(pid_t pid) {
    Memory memory;
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        std::istringstream fields(line);
        std::string key;
        double kib = 0;
        fields >> key >> kib;
        const double mib = kib / 1024.0;
        if (key == "VmRSS:") {
            memory.rss = mib;
        } else if (key == "RssAnon:") {
            memory.anon = mib;
        } else if (key == "RssFile:") {
            memory.file = mib;
        } else if (key == "RssShmem:") {
            memory.shmem = mib;
        }
    }
    return memory;
}

struct Sample {
    double mapMs = 0; // from fork to the main window mapped
    double cpuMs = 0; // CPU time the process had used by then
    Memory memory;    // once idle
};

struct Program {
    std::string name;
    fs::path executable; // the copy in the scratch folder
    bool tobrel = false;
    std::vector<Sample> samples;
};

class Starter {
public:
    Starter(const Options& options, fs::path scratch)
        : options_(options), scratch_(std::move(scratch)) {}

    Sample start(const Program& program) {
        const fs::path run = scratch_ / "run";
        fs::remove_all(run);
        const fs::path home = run / "home";
        const fs::path runtime = run / "runtime";
        fs::create_directories(home);
        fs::create_directories(runtime);
        fs::permissions(runtime, fs::perms::owner_all);
        if (!options_.home.empty()) {
            fs::copy(options_.home, home, fs::copy_options::recursive);
        }
        if (program.tobrel) {
            const fs::path ini = program.executable.parent_path() / "TOBREL.INI";
            fs::remove(ini);
            if (!options_.settings.empty()) {
                fs::copy_file(options_.settings, ini);
            }
        }
        std::vector<std::string> environment;
        for (char** variable = environ; *variable; ++variable) {
            const std::string entry = *variable;
            const std::string key = entry.substr(0, entry.find('='));
            if (key != "HOME" && key.rfind("XDG_", 0) != 0 && key.rfind("QT_", 0) != 0 &&
                key.rfind("TOBREL_", 0) != 0 && key != "WINEPREFIX") {
                environment.push_back(entry);
            }
        }
        environment.push_back("HOME=" + home.string());
        environment.push_back("XDG_RUNTIME_DIR=" + runtime.string());
        environment.push_back("QT_QPA_PLATFORM=xcb");
        std::vector<char*> envp;
        for (auto& entry : environment) {
            envp.push_back(entry.data());
        }
        envp.push_back(nullptr);
        const std::string path = program.executable.string();
        char* argv[] = {const_cast<char*>(path.c_str()), nullptr};

        watcher_.drain();
        const auto begin = Clock::now();
        const pid_t pid = ::fork();
        if (pid == 0) {
            if (::chdir(home.c_str()) != 0) {
                _exit(126);
            }
            const int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, STDOUT_FILENO);
            ::dup2(null, STDERR_FILENO);
            ::execve(path.c_str(), argv, envp.data());
            _exit(127);
        }
        if (pid < 0) {
            throw std::runtime_error("fork failed");
        }
        bool ended = false;
        const auto mapped = watcher_.waitForMainWindow(pid, begin + 30s, ended);
        if (!mapped) {
            if (!ended) {
                end(pid);
            }
            throw std::runtime_error(program.name + (ended ? ": ended without a main window"
                                                           : ": no main window within 30 s"));
        }
        Sample sample;
        sample.cpuMs = cpuMilliseconds(pid);
        sample.mapMs = std::chrono::duration<double, std::milli>(*mapped - begin).count();
        waitUntilIdle(pid);
        sample.memory = residentMemory(pid);
        end(pid);
        return sample;
    }

private:
    // Idle: no CPU time used over the idle period, once it has been up that long.
    void waitUntilIdle(pid_t pid) const {
        const auto giveUp = Clock::now() + 10s;
        double before = cpuMilliseconds(pid);
        while (Clock::now() < giveUp) {
            std::this_thread::sleep_for(options_.idle);
            const double now = cpuMilliseconds(pid);
            if (now - before < 0.5) {
                return;
            }
            before = now;
        }
    }

    static void end(pid_t pid) {
        ::kill(pid, SIGTERM);
        for (int i = 0; i < 500; ++i) {
            if (::waitpid(pid, nullptr, WNOHANG) == pid) {
                return;
            }
            std::this_thread::sleep_for(10ms);
        }
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }

    const Options& options_;
    fs::path scratch_;
    MapWatcher watcher_;
};

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

template <typename Field> double medianOf(const Program& program, Field field) {
    std::vector<double> values;
    for (const Sample& sample : program.samples) {
        values.push_back(field(sample));
    }
    return median(values);
}

void report(const Program& program) {
    std::vector<double> times;
    for (const Sample& sample : program.samples) {
        times.push_back(sample.mapMs);
    }
    std::printf("%-7s  map %7.1f ms (min %.1f, max %.1f)  cpu %7.1f ms  "
                "RSS %5.1f MiB (anon %.1f, file %.1f, shmem %.1f)\n",
                program.name.c_str(), median(times), *std::min_element(times.begin(), times.end()),
                *std::max_element(times.begin(), times.end()),
                medianOf(program, [](const Sample& s) { return s.cpuMs; }),
                medianOf(program, [](const Sample& s) { return s.memory.rss; }),
                medianOf(program, [](const Sample& s) { return s.memory.anon; }),
                medianOf(program, [](const Sample& s) { return s.memory.file; }),
                medianOf(program, [](const Sample& s) { return s.memory.shmem; }));
}

} // namespace

int main(int argc, char** argv) {
    const Options options = parseOptions(argc, argv);
    try {
        Xvfb xvfb;
        const char* display = std::getenv("DISPLAY");
        if (options.xvfb || !display || !*display) {
            xvfb.start();
        }
        char pattern[] = "/tmp/tobrel-startup-XXXXXX";
        if (!::mkdtemp(pattern)) {
            throw std::runtime_error("cannot make a scratch folder");
        }
        const fs::path scratch = pattern;
        fs::create_directories(scratch / "bin");
        Program tobrel{"tobrel", scratch / "bin" / "tobrel", true, {}};
        Program bare{"bare", scratch / "bin" / "bare_window", false, {}};
        fs::copy_file(options.tobrel, tobrel.executable);
        fs::copy_file(options.bare, bare.executable);

        const double loadBefore = loadAverage();
        {
            Starter starter(options, scratch);
            starter.start(tobrel); // first starts fill the caches; not counted
            starter.start(bare);
            for (int run = 0; run < options.runs; ++run) {
                Program& first = run % 2 == 0 ? tobrel : bare;
                Program& second = run % 2 == 0 ? bare : tobrel;
                for (Program* program : {&first, &second}) {
                    program->samples.push_back(starter.start(*program));
                    if (options.verbose) {
                        const Sample& s = program->samples.back();
                        std::printf("%-7s %7.1f ms  cpu %7.1f ms  RSS %5.1f MiB\n",
                                    program->name.c_str(), s.mapMs, s.cpuMs, s.memory.rss);
                    }
                }
            }
        }
        fs::remove_all(scratch);

        std::printf("%d alternated starts of each, from fork to the main window mapped; "
                    "load average %.2f before, %.2f after\n",
                    options.runs, loadBefore, loadAverage());
        report(tobrel);
        report(bare);
        const auto ratio = [&](auto field) {
            return medianOf(tobrel, field) / medianOf(bare, field);
        };
        std::printf("vs_bare_start %.2f  (median start, target <= 1.2)\n",
                    ratio([](const Sample& s) { return s.mapMs; }));
        std::printf("vs_bare_cpu   %.2f  (median CPU time to the map)\n",
                    ratio([](const Sample& s) { return s.cpuMs; }));
        std::printf("vs_bare_rss   %.2f  (median resident memory once idle, target <= 1.3)\n",
                    ratio([](const Sample& s) { return s.memory.rss; }));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench_startup: %s\n", error.what());
        return 1;
    }
    return 0;
}
