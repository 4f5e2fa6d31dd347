#pragma once
// What the lab's tests share: the examples, reading files and CSV back, and a
// fixture with a scratch folder of its own that runs Shotlab in-process.

#include "Shotlab.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace quillmoor::labtest {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

inline const std::string kExamples = QUILLMOOR_SOURCE_DIR "/examples/";

inline std::string readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline std::vector<std::string> linesOf(const std::string& text)
{
    std::istringstream in(text);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// The cells of one CSV line, quotes undone.
inline std::vector<std::string> cellsOf(const std::string& line)
{
    std::vector<std::string> cells(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"')
            cells.back() += line[++i];
        else if (c == '"')
            quoted = !quoted;
        else if (c == ',' && !quoted)
            cells.emplace_back();
        else
            cells.back() += c;
    }
    return cells;
}

// Each row of a CSV text as column name -> cell.
inline std::vector<std::map<std::string, std::string>> csvRecords(const std::string& text)
{
    const auto lines = linesOf(text);
    std::vector<std::map<std::string, std::string>> records;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const auto names = cellsOf(lines[0]), cells = cellsOf(lines[i]);
        EXPECT_EQ(cells.size(), names.size()) << lines[i];
        records.emplace_back();
        for (std::size_t c = 0; c < names.size() && c < cells.size(); ++c)
            records.back()[names[c]] = cells[c];
    }
    return records;
}

inline std::vector<std::string> joined(std::vector<std::string> a,
                                       const std::vector<std::string>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Polls until done() holds; false when a minute passes first.
template <typename Done> bool waitFor(Done done)
{
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!done()) {
        if (std::chrono::steady_clock::now() > giveUp)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

#ifdef SHOTLAB_EXE
// The real program started with these arguments, its standard error dropped.
inline pid_t startShotlab(const std::vector<std::string>& args)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(::open("/dev/null", O_WRONLY), STDERR_FILENO);
        std::vector<char*> argv = {const_cast<char*>(SHOTLAB_EXE)};
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(SHOTLAB_EXE, argv.data());
        ::_exit(127);
    }
    return pid;
}

// The child's wait status, sending it the signal (if any) until it ends; -1
// when it had to be killed after a minute.
inline int endOf(pid_t pid, int signal = 0)
{
    int status = 0;
    const bool ended = waitFor([&] {
        if (::waitpid(pid, &status, WNOHANG) != 0)
            return true;
        if (signal != 0)
            ::kill(pid, signal);
        return false;
    });
    if (ended)
        return status;
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
    return -1;
}
#endif

// A command line refused with its exit status and a piece of its message.
struct Refusal
{
    std::vector<std::string> args;
    int status;
    std::string message;
};

class LabTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string name = ::testing::TempDir() + "labXXXXXX";
        ASSERT_NE(::mkdtemp(name.data()), nullptr);
        dir = name;
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }

    std::string path(const std::string& name) const { return (dir / name).string(); }
    std::string put(const std::string& name, const std::string& text) const
    {
        const fs::path p = dir / name;
        fs::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << text;
        return p.string();
    }
    // The names in the folder, sorted, for "nothing else was written".
    std::vector<std::string> names() const
    {
        std::vector<std::string> list;
        for (const auto& entry : fs::directory_iterator(dir))
            list.push_back(entry.path().filename().string());
        std::sort(list.begin(), list.end());
        return list;
    }
    int run(const std::vector<std::string>& args, const lab::Pictures& pictures = {})
    {
        std::ostringstream o, e;
        const int status = lab::runShotlab(args, o, e, pictures);
        out = o.str();
        err = e.str();
        return status;
    }

    // Each refused with its status and message, printing nothing; usage
    // errors (2) with the hint when one is given.
    void expectRefused(const std::vector<std::string>& prefix, const std::vector<Refusal>& cases,
                       const lab::Pictures& pictures = {}, const std::string& hint = "")
    {
        for (const Refusal& c : cases) {
            SCOPED_TRACE(testing::PrintToString(c.args));
            EXPECT_EQ(run(joined(prefix, c.args), pictures), c.status) << err;
            EXPECT_THAT(err, HasSubstr(c.message));
            EXPECT_EQ(out, "");
            if (c.status == 2) {
                EXPECT_THAT(err, HasSubstr(hint));
            }
        }
    }
    // A status of 0, else the status and what the command said.
    ::testing::AssertionResult ok(int status) const
    {
        if (status == 0)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "exit " << status << ": " << err;
    }

    fs::path dir;
    std::string out, err;
};

} // namespace quillmoor::labtest
