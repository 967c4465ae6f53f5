// What the launcher's tests share: a bundle made by the real packer from a
// stand-in viewer that records how it was started, and a run of it with its
// own cache folder, optionally on a full disk.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "RunCommand.h"
#include "SanitizerSettings.h"
#include "TempDir.h"

// Records its arguments, its pid and its folder in $LAUNCHER_TEST_RESULTS,
// then exits with $LAUNCHER_TEST_EXIT, or is killed by SIGTERM when that
// says "killed".
inline const std::string FakeViewer = R"sh(#!/bin/sh
results="$LAUNCHER_TEST_RESULTS"
printf '%s\n' "$@" > "$results/arguments"
echo $$ > "$results/pid"
dirname "$0" > "$results/folder"
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

class TBundleBox {
public:
    TBundleBox()
    {
        for (const auto& [name, bytes] : FakeBundleFiles())
            dir_.Write("stage/" + name, bytes);
        std::filesystem::create_directories(Results());
        std::filesystem::create_directories(CacheHome());
        RunChecked(ShellQuote(PACK_PATH) + " " + ShellQuote(LAUNCHER_PATH) + " " + ShellQuote(dir_.File("stage")) +
                   " " + ShellQuote(Program()) + " 9");
    }

    std::string Program() const { return dir_.File("pictoview.exe"); }
    std::filesystem::path CacheHome() const { return dir_.Path() / "cache"; }
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

    std::vector<std::string> NamesInCache() const
    {
        std::vector<std::string> names;
        for (const auto& item : std::filesystem::directory_iterator(CacheRoot()))
            names.push_back(item.path().filename().string());
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
        std::vector<std::string> variables{"PATH=/usr/bin:/bin", "XDG_CACHE_HOME=" + CacheHome().string(),
                                           "LAUNCHER_TEST_RESULTS=" + Results().string()};
        variables.insert(variables.end(), environment.begin(), environment.end());
        const std::vector<std::string> sanitizers = SanitizerSettings();
        variables.insert(variables.end(), sanitizers.begin(), sanitizers.end());
        const std::string errors = dir_.File("errors");
        TLaunch launch;
        launch.Pid = ::fork();
        if (launch.Pid == 0)
            Exec(command, variables, errors, disk == TDisk::FileSizeLimit);
        ::waitpid(launch.Pid, &launch.Status, 0);
        launch.Errors = ReadFileBytes(errors);
        return launch;
    }

private:
    [[noreturn]] static void Exec(const std::vector<std::string>& command, const std::vector<std::string>& variables,
                                  const std::string& errors, bool limitFileSize)
    {
        const int fd = ::open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(fd, 2);
        if (limitFileSize) {
            const rlimit limit{65536, 65536};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
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
};
