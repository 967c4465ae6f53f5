// What the launcher's tests share: a bundle made by the real packer from a
// stand-in viewer that records how it was started, a run of it with its own
// cache folder, optionally on a full disk, and launches that run on, started
// together if need be, while the test looks at their viewers.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "RunCommand.h"
#include "SanitizerSettings.h"
#include "TempDir.h"

// Records its arguments, its pid and its folder in $LAUNCHER_TEST_RESULTS.
// Held ($LAUNCHER_TEST_HOLD set), it moves into its folder, says "running"
// and waits for its input to end. Then it exits with $LAUNCHER_TEST_EXIT,
// or is killed by SIGTERM when that says "killed".
inline const std::string FakeViewer = R"sh(#!/bin/sh
results="$LAUNCHER_TEST_RESULTS"
printf '%s\n' "$@" > "$results/arguments"
echo $$ > "$results/pid"
dirname "$0" > "$results/folder"
if [ -n "$LAUNCHER_TEST_HOLD" ]; then cd "$(dirname "$0")" && echo running && cat >/dev/null; fi
if [ "$LAUNCHER_TEST_EXIT" = killed ]; then kill -TERM $$; fi
exit "${LAUNCHER_TEST_EXIT:-0}"
)sh";

// The bundle's files besides the viewer, big enough that a small disk
// cannot take them.
inline const std::vector<std::pair<std::string, std::string>>& FakeBundleFiles()
{
    static const std::vector<std::pair<std::string, std::string>> files{
        {"Pictoview", FakeViewer},
        {"qt.conf", "[Paths]\nPrefix=.\nLibraries=lib\nPlugins=plugins\n"},
        {"lib/libfake.so.1", std::string(300000, 'L')},
        {"plugins/platforms/libqfake.so", std::string(5000, 'P')},
    };
    return files;
}

// A full disk is a small tmpfs in a sandbox, or a limit on file sizes.
enum class TDisk { Roomy, Full, FileSizeLimit };

struct TLaunch {
    int Status = -1; // as waitpid gives it
    pid_t Pid = 0;
    std::string Errors;
};

// Whether bwrap can make a sandbox here (it needs user namespaces).
inline bool SandboxWorks()
{
    static const bool works = RunCommand("bwrap --dev-bind / / true >/dev/null 2>&1").ExitCode == 0;
    return works;
}

// Holds the launches started behind it until it opens, so that they start
// at the same moment. It opens when it ends.
class TStartGate {
public:
    TStartGate()
    {
        if (::pipe2(fds_, O_CLOEXEC) != 0)
            throw std::runtime_error("pipe failed");
    }
    TStartGate(const TStartGate&) = delete;
    TStartGate& operator=(const TStartGate&) = delete;
    ~TStartGate()
    {
        ::close(fds_[1]);
        ::close(fds_[0]);
    }

    // In a launch's own process: waits until the gate opens.
    void Pass() const
    {
        ::close(fds_[1]);
        char c = 0;
        while (::read(fds_[0], &c, 1) < 0 && errno == EINTR) {
        }
    }

private:
    int fds_[2] = {-1, -1};
};

// A launch whose viewer runs held while the test looks at it. Its end lets
// the viewer end and waits for it.
class TRunningLaunch {
public:
    TRunningLaunch(pid_t pid, int input, int output, std::string errors)
        : pid_(pid), input_(input), output_(output), errors_(std::move(errors))
    {
    }
    TRunningLaunch(const TRunningLaunch&) = delete;
    TRunningLaunch& operator=(const TRunningLaunch&) = delete;
    ~TRunningLaunch() { Finish(); }

    // Waits until the viewer runs; false when the launch ended without it.
    bool ViewerRuns() const
    {
        std::string said;
        char c = 0;
        while (said.size() < 8 && ::read(output_, &c, 1) == 1)
            said += c;
        return said == "running\n";
    }

    // The folder the viewer runs in, as the system sees it now: another
    // name once moved, " (deleted)" behind it once removed.
    std::filesystem::path ViewerFolder() const
    {
        return std::filesystem::read_symlink("/proc/" + std::to_string(pid_) + "/cwd");
    }

    TLaunch Finish()
    {
        if (input_ >= 0) {
            ::close(input_);
            ::close(output_);
            input_ = -1;
            ::waitpid(pid_, &launch_.Status, 0);
            launch_.Pid = pid_;
            launch_.Errors = ReadFileBytes(errors_);
        }
        return launch_;
    }

private:
    pid_t pid_;
    int input_;
    int output_;
    std::string errors_;
    TLaunch launch_;
};

using TFileList = std::vector<std::pair<std::string, std::string>>;

class TBundleBox {
public:
    // A bundle of the stand-in viewer's files and extraFiles, its cache under
    // cacheHome, or a cache home of its own when that is empty.
    explicit TBundleBox(const std::filesystem::path& cacheHome = {}, const TFileList& extraFiles = {})
        : files_(FakeBundleFiles()), cacheHome_(cacheHome.empty() ? dir_.Path() / "cache" : cacheHome)
    {
        files_.insert(files_.end(), extraFiles.begin(), extraFiles.end());
        for (const auto& [name, bytes] : files_)
            dir_.Write("stage/" + name, bytes);
        std::filesystem::create_directories(Results());
        std::filesystem::create_directories(CacheHome());
        RunChecked(ShellQuote(PACK_PATH) + " " + ShellQuote(LAUNCHER_PATH) + " " + ShellQuote(dir_.File("stage")) +
                   " " + ShellQuote(Program()) + " 9");
    }

    const TFileList& Files() const { return files_; }
    std::string Program() const { return dir_.File("pictoview.exe"); }
    const std::filesystem::path& CacheHome() const { return cacheHome_; }
    std::filesystem::path CacheRoot() const { return CacheHome() / "pictoria"; }
    std::filesystem::path Results() const { return dir_.Path() / "results"; }
    std::string Result(const std::string& name) const { return ReadFileBytes((Results() / name).string()); }

    // The one viewer folder of the cache; empty when there is none.
    std::filesystem::path ViewerFolder() const
    {
        for (const auto& item : std::filesystem::directory_iterator(CacheRoot()))
            if (item.path().filename().string().starts_with("viewer-"))
                return item.path();
        return {};
    }

    // The cache's names, in order.
    std::vector<std::string> NamesInCache() const
    {
        std::vector<std::string> names;
        for (const auto& item : std::filesystem::directory_iterator(CacheRoot()))
            names.push_back(item.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    // Runs the bundle with arguments; environment adds "NAME=value" items.
    TLaunch Run(const std::vector<std::string>& arguments, const std::vector<std::string>& environment = {},
                TDisk disk = TDisk::Roomy) const
    {
        std::vector<std::string> command;
        if (disk != TDisk::Roomy) {
            if (disk == TDisk::Full)
                command = {"bwrap", "--dev-bind", "/", "/", "--size", "65536", "--tmpfs", CacheHome().string()};
            // What is left in the cache, looked at where the small disk is.
            command.insert(
                command.end(),
                {"sh", "-c",
                 "\"$0\" \"$@\"; s=$?; ls -A \"$XDG_CACHE_HOME/pictoria\" >\"$LAUNCHER_TEST_RESULTS/left\"; exit $s"});
        }
        command.push_back(Program());
        command.insert(command.end(), arguments.begin(), arguments.end());
        const std::vector<std::string> variables = Variables(environment);
        TLaunch launch;
        launch.Pid = ::fork();
        if (launch.Pid == 0) {
            if (disk == TDisk::FileSizeLimit) {
                const rlimit limit{65536, 65536};
                ::setrlimit(RLIMIT_FSIZE, &limit);
            }
            Exec(command, variables, ErrorsOf(::getpid()));
        }
        ::waitpid(launch.Pid, &launch.Status, 0);
        launch.Errors = ReadFileBytes(ErrorsOf(launch.Pid));
        return launch;
    }

    // Starts the bundle with a held viewer, behind gate when one is given.
    std::unique_ptr<TRunningLaunch> Start(const std::vector<std::string>& environment = {},
                                          const TStartGate* gate = nullptr) const
    {
        return StartHeld(Program(), environment, gate);
    }

    // Starts the viewer unpacked in folder by itself, held, as album
    // programs made before launchers locked ran it: it holds no lock.
    std::unique_ptr<TRunningLaunch> StartViewerIn(const std::filesystem::path& folder) const
    {
        return StartHeld((folder / "Pictoview").string(), {}, nullptr);
    }

private:
    std::unique_ptr<TRunningLaunch> StartHeld(const std::string& program, const std::vector<std::string>& environment,
                                              const TStartGate* gate) const
    {
        int input[2];
        int output[2];
        if (::pipe2(input, O_CLOEXEC) != 0 || ::pipe2(output, O_CLOEXEC) != 0)
            throw std::runtime_error("pipe failed");
        std::vector<std::string> held = environment;
        held.push_back("LAUNCHER_TEST_HOLD=1");
        const std::vector<std::string> variables = Variables(held);
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::dup2(input[0], 0);
            ::dup2(output[1], 1);
            if (gate)
                gate->Pass();
            Exec({program}, variables, ErrorsOf(::getpid()));
        }
        ::close(input[0]);
        ::close(output[1]);
        return std::make_unique<TRunningLaunch>(pid, input[1], output[0], ErrorsOf(pid));
    }

    std::vector<std::string> Variables(const std::vector<std::string>& environment) const
    {
        std::vector<std::string> variables{"PATH=/usr/bin:/bin", "XDG_CACHE_HOME=" + CacheHome().string(),
                                           "LAUNCHER_TEST_RESULTS=" + Results().string()};
        variables.insert(variables.end(), environment.begin(), environment.end());
        const std::vector<std::string> sanitizers = SanitizerSettings();
        variables.insert(variables.end(), sanitizers.begin(), sanitizers.end());
        return variables;
    }

    std::string ErrorsOf(pid_t pid) const { return dir_.File("errors-" + std::to_string(pid)); }

    [[noreturn]] static void Exec(const std::vector<std::string>& command, const std::vector<std::string>& variables,
                                  const std::string& errors)
    {
        const int fd = ::open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(fd, 2);
        std::vector<char*> argv;
        for (const std::string& word : command)
            argv.push_back(const_cast<char*>(word.c_str()));
        argv.push_back(nullptr);
        std::vector<char*> envp;
        for (const std::string& variable : variables)
            envp.push_back(const_cast<char*>(variable.c_str()));
        envp.push_back(nullptr);
        ::execvpe(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }

    TempDir dir_;
    TFileList files_;
    std::filesystem::path cacheHome_;
};
