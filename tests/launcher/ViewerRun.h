// The real viewer bundle run for a test: a virtual X screen of its own, a
// program started there with a chosen environment, the moment its viewer
// shows the album, the files the viewer's process has mapped, and its end.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "SanitizerSettings.h"

// An Xvfb server on the first free display, which it reports itself.
class TVirtualScreen {
public:
    TVirtualScreen()
    {
        int report[2];
        if (::pipe(report) != 0)
            throw std::runtime_error("pipe failed");
        server_ = ::fork();
        if (server_ == 0) {
            ::close(report[0]);
            const int quiet = ::open("/dev/null", O_WRONLY);
            ::dup2(quiet, 1);
            ::dup2(quiet, 2);
            const std::string fd = std::to_string(report[1]);
            ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
                     static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(report[1]);
        char c = 0;
        while (::read(report[0], &c, 1) == 1 && c != '\n')
            display_ += c;
        ::close(report[0]);
        if (display_.empty())
            throw std::runtime_error("Xvfb did not start");
        display_ = ":" + display_;
    }
    TVirtualScreen(const TVirtualScreen&) = delete;
    TVirtualScreen& operator=(const TVirtualScreen&) = delete;
    ~TVirtualScreen()
    {
        ::kill(server_, SIGTERM);
        ::waitpid(server_, nullptr, 0);
    }

    const std::string& Display() const { return display_; }

private:
    pid_t server_ = -1;
    std::string display_;
};

// A program started with exactly the given environment, its output dropped.
class TStartedProgram {
public:
    TStartedProgram(const std::vector<std::string>& command, const std::vector<std::string>& environment)
    {
        pid_ = ::fork();
        if (pid_ == 0) {
            const int quiet = ::open("/dev/null", O_RDWR);
            ::dup2(quiet, 0);
            ::dup2(quiet, 1);
            ::dup2(quiet, 2);
            std::vector<char*> argv, envp;
            for (const std::string& word : command)
                argv.push_back(const_cast<char*>(word.c_str()));
            for (const std::string& variable : environment)
                envp.push_back(const_cast<char*>(variable.c_str()));
            argv.push_back(nullptr);
            envp.push_back(nullptr);
            ::execvpe(argv[0], argv.data(), envp.data());
            ::_exit(127);
        }
    }
    TStartedProgram(const TStartedProgram&) = delete;
    TStartedProgram& operator=(const TStartedProgram&) = delete;
    ~TStartedProgram()
    {
        if (status_ < 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }

    pid_t Pid() const { return pid_; }
    bool Running() const { return ::waitpid(pid_, nullptr, WNOHANG) == 0; }
    // Its status as waitpid gives it, once it has ended.
    int Wait()
    {
        ::waitpid(pid_, &status_, 0);
        return status_;
    }

private:
    pid_t pid_ = -1;
    int status_ = -1;
};

// The viewer shows an album once its settings file lies in its private
// folder under tmp; up to a deadline, while program runs.
inline bool AlbumShown(const std::filesystem::path& tmp, const TStartedProgram& program)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (std::chrono::steady_clock::now() < deadline && program.Running()) {
        for (const auto& entry : std::filesystem::directory_iterator(tmp))
            if (std::filesystem::exists(entry.path() / "pictoview.ini"))
                return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

// The process whose program file is viewer; 0 when none runs.
inline pid_t ProcessOf(const std::filesystem::path& viewer)
{
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::error_code error;
        const auto program = std::filesystem::read_symlink(entry.path() / "exe", error);
        if (!error && program == viewer)
            return std::stoi(entry.path().filename().string());
    }
    return 0;
}

// The files a process has mapped: libraries and plugins among them.
inline std::vector<std::filesystem::path> MappedFiles(pid_t pid)
{
    std::vector<std::filesystem::path> files;
    std::ifstream maps("/proc/" + std::to_string(pid) + "/maps");
    for (std::string line; std::getline(maps, line);) {
        const std::size_t path = line.find('/');
        if (path != std::string::npos)
            files.push_back(line.substr(path));
    }
    return files;
}
