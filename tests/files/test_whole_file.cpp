#include "files/whole_file.h"

#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string writeFile(const std::string& name, const std::string& content) {
    const std::string path = testsupport::tempPath(name);
    std::ofstream(path, std::ios::binary) << content;
    return path;
}

// Filled beforehand, so a refusal that left old bytes behind is seen.
std::vector<uint8_t> stale() { return {1, 2, 3}; }

std::vector<uint8_t> bytesOf(const std::string& text) { return {text.begin(), text.end()}; }

TEST(WholeFile, WhatIsNoRegularFileIsRefusedBeforeAByteIsRead) {
    const std::string fifo = testsupport::tempPath("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    struct Case {
        std::string path;
        const char* reason;
    };
    const Case cases[] = {
        {testsupport::tempFolder(), "is a directory, not a file"},
        {"/dev/zero", "is a character device, not a file"},
        // No writer ever comes: a reader that waited for one would never return.
        {fifo, "is a pipe (FIFO), not a file"},
        {testsupport::tempPath("absent"), "cannot be opened: No such file or directory"},
    };
    ::alarm(30);  // a hang ends the test process instead of the whole suite's time
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = stale();
        EXPECT_EQ(files::readWholeFile(c.path, 1 << 20, bytes), c.reason) << c.path;
        EXPECT_TRUE(bytes.empty()) << c.path;
        std::string text = "stale";
        EXPECT_EQ(files::readWholeFile(c.path, 1 << 20, text), c.reason) << c.path;
        EXPECT_TRUE(text.empty()) << c.path;
    }
    ::alarm(0);
}

TEST(WholeFile, TheCapIsTheLargestSizeRead) {
    const std::string path = writeFile("hundred", std::string(100, 'x'));
    std::vector<uint8_t> bytes = stale();
    EXPECT_EQ(files::readWholeFile(path, 99, bytes), "is 100 bytes, more than the 99 allowed");
    EXPECT_TRUE(bytes.empty());
    EXPECT_EQ(files::readWholeFile(path, 100, bytes), "");
    EXPECT_EQ(bytes, bytesOf(std::string(100, 'x')));
}

TEST(WholeFile, AnEmptyFileIsReadAsNoBytes) {
    const std::string path = writeFile("empty", "");
    std::vector<uint8_t> bytes = stale();
    EXPECT_EQ(files::readWholeFile(path, 0, bytes), "");
    EXPECT_TRUE(bytes.empty());
    std::string text = "stale";
    EXPECT_EQ(files::readWholeFile(path, 10, text), "");
    EXPECT_TRUE(text.empty());
}

TEST(WholeFile, BytesAndTextReadTheSameContentWhole) {
    std::string content(70000, '\0');  // more than one read's worth, zero bytes included
    for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7);
    const std::string path = writeFile("content", content);
    std::vector<uint8_t> bytes;
    ASSERT_EQ(files::readWholeFile(path, content.size(), bytes), "");
    EXPECT_EQ(bytes, bytesOf(content));
    std::string text;
    ASSERT_EQ(files::readWholeFile(path, content.size(), text), "");
    EXPECT_EQ(text, content);
}

// A file that changes between taking its size and reading it: the size taken is stood in for
// by a larger or smaller expected size.
TEST(WholeFile, AFileShorterOrLongerThanItsSizeIsRefused) {
    const std::string path = writeFile("twenty", std::string(20, 'y'));
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    struct Case {
        size_t expected;
        const char* reason;
    };
    const Case cases[] = {
        {30, "became shorter while it was read (20 of 30 bytes)"},
        {10, "grew while it was read (past 10 bytes)"},
        {0, "grew while it was read (past 0 bytes)"},
        {20, ""},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(::lseek(fd, 0, SEEK_SET), 0);
        std::vector<uint8_t> bytes = stale();
        EXPECT_EQ(files::readOpenFile(fd, c.expected, bytes), c.reason) << c.expected;
        EXPECT_EQ(bytes.size(), *c.reason ? 0u : 20u) << c.expected;
    }
    ::close(fd);
}

// Beneath a folder, each way of confining: what stays inside is read ("..", and for the kernel a
// link that stays inside, included), what leads out is refused unopened.
TEST(WholeFile, APathBeneathAFolderNeverLeadsOutOfIt) {
    const std::string root = testsupport::tempPath("beneath");
    ::mkdir(root.c_str(), 0700);
    ::mkdir((root + "/sub").c_str(), 0700);
    writeFile("beneath/in.lwo", "inside");
    writeFile("secret.lwo", "outside");
    ::symlink("../secret.lwo", (root + "/out.lwo").c_str());
    ::symlink("in.lwo", (root + "/near.lwo").c_str());
    struct Case {
        const char* path;
        bool kernelReads;  // the component walk follows no link at all
        bool walkReads;
    };
    const Case cases[] = {
        {"in.lwo", true, true},        {"sub/../in.lwo", true, true}, {"./sub/./../in.lwo", true, true},
        {"near.lwo", true, false},     {"out.lwo", false, false},    {"../secret.lwo", false, false},
        {"sub/../../secret.lwo", false, false},
    };
    for (files::Confinement how : {files::Confinement::Kernel, files::Confinement::ComponentWalk}) {
        for (const Case& c : cases) {
            std::vector<uint8_t> bytes = stale();
            const std::string why = files::readWholeFileBeneath(root, c.path, 100, bytes, nullptr, how);
            const bool reads = how == files::Confinement::Kernel ? c.kernelReads : c.walkReads;
            EXPECT_EQ(why.empty(), reads) << c.path << ": " << why;
            EXPECT_EQ(bytes, reads ? bytesOf("inside") : std::vector<uint8_t>()) << c.path;
        }
    }
}

// A link flipped in and out while the same name is read over and over: whatever moment the flip
// lands on, the file outside is never read. Each way keeps reading until it has seen the plain file
// at least once, so a flipper the scheduler holds in one state cannot leave the race unexercised.
TEST(WholeFile, ALinkSwappedInWhileReadingNeverLeadsOut) {
    const std::string root = testsupport::tempPath("race");
    ::mkdir(root.c_str(), 0700);
    writeFile("race-secret.lwo", "outside");
    const std::string name = root + "/race.lwo";
    const std::string plain = root + "/plain.tmp";
    const std::string link = root + "/link.tmp";
    std::ofstream(name, std::ios::binary) << "inside";
    std::atomic<bool> done{false};
    std::atomic<int> flips{0};
    std::thread flipper([&] {
        while (!done) {
            ::symlink("../race-secret.lwo", link.c_str());
            std::rename(link.c_str(), name.c_str());
            std::this_thread::yield();  // on one core, lets the reader meet each state
            std::ofstream(plain, std::ios::binary) << "inside";
            std::rename(plain.c_str(), name.c_str());
            std::this_thread::yield();
            ++flips;
        }
    });
    while (flips == 0) std::this_thread::yield();
    for (files::Confinement how : {files::Confinement::Kernel, files::Confinement::ComponentWalk}) {
        int inside = 0;
        int loads = 0;
        for (; loads < 20000 || (inside == 0 && loads < 2000000); ++loads) {
            std::vector<uint8_t> bytes;
            (void)files::readWholeFileBeneath(root, "race.lwo", 100, bytes, nullptr, how);
            if (bytes == bytesOf("outside")) {
                ADD_FAILURE() << "read outside at load " << loads;
                break;
            }
            inside += bytes == bytesOf("inside");
        }
        EXPECT_GT(inside, 0) << "the plain file was never there to read in " << loads << " loads";
    }
    done = true;
    flipper.join();
}

}  // namespace
