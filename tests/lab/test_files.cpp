// Shotlab's files: what every command takes for a model, and where its output
// goes (files replaced in one step, FIFOs and devices written into, standard
// output and its failures, outputs that would destroy an input, signals).

#include "Shotlab.h"
#include "SwingModel.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <sstream>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace quillmoor;

namespace {

const std::string kModel = QUILLMOOR_SOURCE_DIR "/examples/hole1-putt.txt";

std::string readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class ShotlabFiles : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string name = ::testing::TempDir() + "shotlabfilesXXXXXX";
        dir = ::mkdtemp(name.data());
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string path(const std::string& name) const { return (dir / name).string(); }
    std::string put(const std::string& name, const std::string& text) const
    {
        std::ofstream(path(name), std::ios::binary) << text;
        return path(name);
    }
    // The names in the directory, for "nothing else was written".
    std::vector<std::string> names() const
    {
        std::vector<std::string> list;
        for (const auto& entry : fs::directory_iterator(dir))
            list.push_back(entry.path().filename().string());
        std::sort(list.begin(), list.end());
        return list;
    }

    int run(const std::vector<std::string>& args)
    {
        std::ostringstream o, e;
        const int status = lab::runShotlab(args, o, e);
        out = o.str();
        err = e.str();
        return status;
    }

    fs::path dir;
    std::string out, err;
};

// Every command takes only a model: prose, binary junk and a file that never
// ends are refused with the file's name, exit 1, and nothing is printed.
class NotAModel : public ShotlabFiles,
                  public ::testing::WithParamInterface<std::vector<std::string>>
{
};

TEST_P(NotAModel, IsRefusedWithTheFilesName)
{
    std::mt19937 rng(5);
    std::string junk(20000, '\0');
    for (char& c : junk)
        c = static_cast<char>(rng());
    const std::pair<std::string, const char*> files[] = {
        {put("README.md", "# Notes\n\nHoleId: 1 is the first hole.\nSee the manual.\n"),
         "not a model data file"},
        {put("junk.bin", junk), "not a model data file"},
        {"/dev/zero", "longer than 256 MB"},
    };
    for (const auto& [file, message] : files) {
        SCOPED_TRACE(file);
        std::vector<std::string> args = GetParam();
        std::replace(args.begin(), args.end(), std::string("MODEL"), file);
        EXPECT_EQ(run(args), 1);
        EXPECT_NE(err.find(file + ": " + message), std::string::npos) << err;
        EXPECT_TRUE(out.empty() || out == "[]\n") << out;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Commands, NotAModel,
    ::testing::Values(std::vector<std::string>{"summary", "MODEL"},
                      std::vector<std::string>{"summary", "--json", "MODEL"},
                      std::vector<std::string>{"sweep", "MODEL", "--vary", "TeeBallSpeed=90:91:1"},
                      std::vector<std::string>{"read-putt", "MODEL"}),
    [](const auto& info) {
        return info.param[0] == "read-putt" ? std::string("ReadPutt")
                                            : info.param[0] + std::to_string(info.index);
    });

} // namespace
