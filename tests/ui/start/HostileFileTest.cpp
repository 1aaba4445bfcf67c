// Files a user may really have as "ba0": each gives its documented result or
// a clear message through "CONT", and none of them leads to a write.
#include "core/encoding/CodePage.h"
#include "ui/WindowTesting.h"
#include "ui/common/Messages.h"
#include "ui/search/SearchWindow.h"
#include "ui/start/StartWindow.h"

#include <algorithm>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

using namespace kaldex;
using namespace kaldex::ui;
namespace fs = std::filesystem;

namespace {

struct Hostile {
    std::string name;
    std::function<void(const std::string &path)> make;
    int documents;
    bool message;  // a message must be shown (and a save refused)
};

std::string sample()
{
    return test::readBytes(KALDEX_SOURCE_DIR "/sample/ba0");
}

std::string replaced(std::string text, const std::string &from, const std::string &to)
{
    for (size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
        text.replace(at, from.size(), to);
    return text;
}

std::string records(int count)
{
    std::string out;
    for (const std::string three = test::threeDocuments(); count >= 3; count -= 3)
        out += three;
    return out;
}

// The three documents with the third cut inside section k: the file ends after
// the marker of section k-1 and half of the next line.
std::string cutInSection(int k)
{
    const std::string bytes = test::threeDocuments();
    size_t at = bytes.find("$@$\r\n", bytes.find("$@$\r\n") + 1) + 5;
    for (int markers = 0; markers < k; at = bytes.find("\r\n", at) + 2)
        markers += bytes[at] == '$';
    return bytes.substr(0, at + (bytes.find("\r\n", at) - at) / 2);
}

// 4999 whole documents, then what cutInSection(k) leaves of a third: only a
// document the loader would count (k = 9) has no room.
std::string fullThen(int k)
{
    const std::string cut = cutInSection(k);
    return records(4995) + cut.substr(0, cut.find("$@$\r\n", cut.find("$@$\r\n") + 1) + 5) + cut;
}

// Name, mode, size and time of every entry: any write shows.
std::string snapshot(const std::string &dir)
{
    std::string out;
    for (const auto &entry : fs::directory_iterator(dir)) {
        struct stat s {};
        ::lstat(entry.path().c_str(), &s);
        out += entry.path().filename().string() + " " + std::to_string(s.st_mode) + "/" + std::to_string(s.st_size) +
               "/" + std::to_string(s.st_mtim.tv_sec) + "." + std::to_string(s.st_mtim.tv_nsec) + "\n";
    }
    return out;
}

// A row whose file is these bytes.
Hostile bytes(std::string name, int documents, bool message, std::function<std::string()> make)
{
    return {std::move(name), [make](const std::string &p) { test::writeBytes(p, make()); }, documents, message};
}

std::vector<Hostile> hostileFiles()
{
    const int full = DocumentStore::kMaxDocuments;
    std::vector<Hostile> rows = {
        bytes("empty", 0, false, [] { return ""; }),
        bytes("blank lines only (an empty database)", 0, false, [] { return "\r\n  \r\n"; }),
        bytes("one byte", 0, true, [] { return "$"; }),  // not empty, no document: no database
        bytes("binary garbage", 0, true,
              [] {
                  std::string out(1 << 20, '\0');
                  std::generate(out.begin(), out.end(), std::mt19937(7));
                  return out;
              }),
        bytes("UTF-8 text", 48, false, [] { return utf8FromCp1251(sample()); }),
        bytes("100 MB in one line", 0, true, [] { return std::string(100u << 20, 'x'); }),
        bytes("no line ends at all", 0, true, [] { return replaced(sample(), "\r\n", ""); }),
        bytes("bare LF line ends", 48, false, [] { return replaced(sample(), "\r\n", "\n"); }),
        bytes("CR line ends", 0, true, [] { return replaced(sample(), "\r\n", "\r"); }),
        bytes("4 MB of zeros", 0, true, [] { return std::string(4u << 20, '\0'); }),
        bytes("a text file (a password list)", 0, true,
              [] { return "root:x:0:0:root:/root:/bin/bash\nalice:x:1000:1000:Alice:/home/alice:/bin/sh\n"; }),
        {"over the size bound (sparse, must not be read)",
         [](auto &p) {
             int fd = ::open(p.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
             ASSERT_EQ(::ftruncate(fd, kMaxDatabaseBytes + 1), 0);
             ::close(fd);
         },
         0, true},
        bytes("no line end after the last line", 48, false, [] { return sample().substr(0, sample().size() - 2); }),
        bytes("6000 records", full, true, [] { return records(6000); }),
        bytes("4999 records and a stray line", full, false, [] { return fullThen(0); }),
        bytes("4999 records and a partial one", full, false, [] { return fullThen(6); }),
        bytes("4999 records and one more", full, true, [] { return fullThen(9); }),
        {"a directory", [](auto &p) { fs::create_directory(p); }, 0, true},
        {"a pipe", [](auto &p) { ASSERT_EQ(::mkfifo(p.c_str(), 0644), 0); }, 0, true},
        {"a link to itself", [](auto &p) { fs::create_symlink("ba0", p); }, 0, true},
        {"a link to nowhere (no database yet)", [](auto &p) { fs::create_symlink("gone", p); }, 0, false},
    };
    for (int k = 0; k < 10; ++k)
        rows.push_back(
            bytes("cut in section " + std::to_string(k), k < 9 ? 2 : 3, false, [k] { return cutInSection(k); }));
    if (::geteuid() != 0)  // root reads any file
        rows.push_back({"no read permission",
                        [](auto &p) {
                            test::writeBytes(p, sample());
                            fs::permissions(p, fs::perms::none);
                        },
                        0, true});
    return rows;
}

}  // namespace

TEST(HostileFiles, LoadAsDocumentedOrSaySoAndWriteNothing)
{
    for (const Hostile &row : hostileFiles()) {
        SCOPED_TRACE(row.name);
        test::InDirectory here;
        row.make(here.dir.file("ba0"));
        auto before = snapshot(here.dir.path());

        MessageHook messages;
        auto store = std::make_unique<DocumentStore>();
        StartWindow start(*store);
        QString shown;
        test::onNextModal([&](QWidget *modal) {
            auto *search = qobject_cast<SearchWindow *>(modal);
            ASSERT_NE(search, nullptr);
            QApplication::processEvents();  // the window's own warnings
            shown = test::child<QLineEdit>(search, "Edit7")->text();
            if (row.message) {
                // Storing a document and pressing "OK" must not put it over the unread file.
                store->modified = 1;
                test::child<QPushButton>(search, "Button9")->click();
                EXPECT_TRUE(search->isVisible());
            }
        });
        test::child<QPushButton>(&start, "Button1")->click();

        EXPECT_EQ(shown, QString::number(row.documents));
        // A database that is not there yet is said to be missing, once.
        std::error_code looked;
        const bool missing = !fs::exists(here.dir.file("ba0"), looked) && !looked;
        EXPECT_EQ(messages.shown().size(), (row.message ? 2 : 0) + (missing ? 1 : 0))
            << messages.shown().join(QStringLiteral(" | ")).toStdString();
        EXPECT_EQ(snapshot(here.dir.path()), before);
        if (::geteuid() != 0)
            fs::permissions(here.dir.file("ba0"), fs::perms::owner_all, fs::perm_options::add);
    }
}
