// What counts as a model file. (The scratch reads are exercised through the
// window, in tests/app.)

#include "ModelFile.h"
#include "ModelFixture.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sys/stat.h>
#include <thread>

namespace fs = std::filesystem;
using modelfile::Verdict;

namespace {

class ModelFileTest : public ModelTest
{
protected:
    void TearDown() override { fs::remove_all(dir); }
    std::string put(const std::string& name, const std::string& text) const
    {
        const std::string path = dir + "/" + name;
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    std::string tmpl = "/tmp/qh-modelfile-XXXXXX";
    const std::string dir = mkdtemp(tmpl.data());
};

std::string randomBytes(std::size_t n)
{
    std::mt19937 gen(15);
    std::string s(n, '\0');
    for (char& c : s)
        c = static_cast<char>(gen() & 0xff);
    return s;
}

TEST_F(ModelFileTest, WhatIsAModel)
{
    SwingModel written(false);
    written.setPoint(0, {0, 0, 0});
    written.setPoint(1, {0, 1, 0});
    const struct
    {
        const char* what;
        std::string text;
        bool model;
    } rows[] = {
        {"as written", written.toText(), true},
        {"header, CR LF", "# SwingModel Data File\r\nprose\r\n", true},
        {"header after a byte-order mark", "\xEF\xBB\xBF# SwingModel Data File\nprose\n", true},
        {"hand-written keys", "# my shot\n\nHoleId: 2\nTeeBallSpeed: 90\nnote\n", true},
        {"hand-written steps", "TeeShotSteps: 3\n 0, 0, 0, 0\n 1, 0, 1, 0\n 2, 0, 2, 0\nx\ny\n",
         true},
        {"alternative names", "TeeClubSpeed: 90\nTeeZSpin: 500\nPuttClubSpeed: 3\nExit Code: 1\n",
         true},
        {"half keys is not most", "HoleId: 2\nThis is hole 2.\n", false},
        {"prose quoting keys",
         "# Notes\n\nThe file says:\nHoleId: 1\nWindDir: 22\nand more.\n"
         "TeeShotSteps: 12463\nThat is all.\nReally.\n",
         false},
        {"a blank before the key", " HoleId: 1\n WindDir: 22\n", false},
        {"header not first", "\n# SwingModel Data File\nprose\n", false},
        {"nothing", "", false},
        {"comments only", "# SwingModel\n#\n\n", false},
        {"binary", randomBytes(20000), false},
        {"a key on a line of 8 MB", "HoleId: 1\n" + std::string(8 << 20, 'x'), false},
        {"no last line end", "HoleId: 1\nWindDir: 3", true},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(modelfile::isModelText(row.text), row.model) << row.what;
        EXPECT_EQ(modelfile::examine(put("f", row.text)),
                  row.model ? Verdict::Model : Verdict::NotAModel)
            << row.what;
    }
}

// A file that cannot be read is no model; one that never ends, or one larger
// than any model, is given up at a stated size, by the check and by the reader
// alike.
TEST_F(ModelFileTest, UnreadableFilesAndFilesPastTheSizeOfAnyModelAreRefused)
{
    const std::string sparse = put("sparse.txt", "# SwingModel Data File\n");
    fs::resize_file(sparse, modelfile::kMaxModelFileBytes + 1); // no disk: a hole in the file
    for (const std::string& path : {dir + "/missing.txt", dir, std::string()})
        EXPECT_EQ(modelfile::examine(path), Verdict::Unreadable) << path;
    for (const std::string& path : {std::string("/dev/zero"), sparse}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(modelfile::examine(path), Verdict::TooLarge);
        SwingModel m(false);
        std::string why;
        EXPECT_FALSE(m.read(path, false, &why));
        EXPECT_NE(why.find("256 MB"), std::string::npos) << why;
        why.clear();
        EXPECT_FALSE(modelfile::readModelFile(path, m, why));
        EXPECT_NE(why.find("256 MB"), std::string::npos) << why;
    }
}

// A pipe can be read only once: it is judged and read from memory. (Files
// that are not models are refused through Shotlab, tests/lab.)
TEST_F(ModelFileTest, APipeIsReadOnce)
{
    SwingModel written(false);
    written.TeeBallSpeed = 99;
    const std::string fifo = dir + "/pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::thread writer([&] { std::ofstream(fifo, std::ios::binary) << written.toText(); });
    SwingModel m(false);
    std::string why;
    EXPECT_TRUE(modelfile::readModelFile(fifo, m, why)) << why;
    writer.join();
    EXPECT_EQ(m.TeeBallSpeed, 99);
}

} // namespace
