#include "platform/Prompter.h"
#include "platform/Registry.h"
#include "platform/RegistryCheck.h"

#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <dirent.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

const RegistryRoot HKCU = RegistryRoot::CurrentUser;
const char kKey[] = "Software\\Quillfen\\Corvale\\Settings";

std::vector<std::string> FolderEntries(const std::string& folder)
{
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* e = readdir(dir))
            if (std::string(e->d_name) != "." && std::string(e->d_name) != "..")
                names.push_back(e->d_name);
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// A registry over a copy of `from`'s store file in a new folder, so that the
// copy is parsed from its bytes rather than served from the reader cache.
struct Reopened {
    TempDir dir;
    Registry registry{dir.Path()};
    explicit Reopened(const Registry& from, RegistryRoot root = HKCU)
    {
        WriteFileBytes(registry.FileOf(root), ReadFileBytes(from.FileOf(root)));
    }
};

} // namespace

TEST(Registry, TrickyStringsRoundTripThroughTheFile)
{
    ScopedRegistry scope;
    Registry reg = Registry::Default();
    std::string allBytes;
    for (int c = 1; c < 256; ++c)
        allBytes += static_cast<char>(c);
    const std::vector<std::string> values = {
        "", "two\nlines\r\n", "say \"hi\"", "C:\\My Photos\\", "\\", "\"", "\\x41 is not A",
        "caf\xE9 \x80\xFF", "END 0", allBytes, std::string("nul\0inside", 10)};
    for (size_t i = 0; i < values.size(); ++i)
        ASSERT_EQ(reg.SetString(HKCU, kKey, "v" + std::to_string(i), values[i]),
                  RegistryStatus::Ok);
    // Names may hold anything but a backslash in a key name.
    const std::string oddKey = "Odd\"Key \n\xE9";
    ASSERT_EQ(reg.SetString(HKCU, oddKey, "name \"with\\ back\nslash", "x"), RegistryStatus::Ok);
    ASSERT_EQ(reg.SetDword(HKCU, kKey, "max", 0xFFFFFFFFu), RegistryStatus::Ok);

    Reopened copy(reg);
    for (const Registry* r : {&reg, &copy.registry}) {
        for (size_t i = 0; i < values.size(); ++i) {
            std::string out = "unchanged";
            ASSERT_EQ(r->GetString(HKCU, kKey, "v" + std::to_string(i), out), RegistryStatus::Ok);
            EXPECT_EQ(out, values[i]) << "value " << i;
        }
        std::string out;
        EXPECT_EQ(r->GetString(HKCU, oddKey, "name \"with\\ back\nslash", out), RegistryStatus::Ok);
        EXPECT_EQ(out, "x");
        uint32_t n = 0;
        EXPECT_EQ(r->GetDword(HKCU, kKey, "max", n), RegistryStatus::Ok);
        EXPECT_EQ(n, 0xFFFFFFFFu);
    }
    // Every line of the store is printable ASCII: stray bytes cannot break it.
    std::string bytes = ReadFileBytes(reg.FileOf(HKCU));
    for (char c : bytes)
        ASSERT_TRUE(c == '\n' || (c >= 0x20 && c < 0x7F)) << static_cast<int>(c);
}

TEST(Registry, NamesAreCaseInsensitiveAndKeepTheirFirstCase)
{
    ScopedRegistry scope;
    Registry reg = Registry::Default();
    ASSERT_EQ(reg.SetDword(HKCU, kKey, "ShrinkLargeImages", 1), RegistryStatus::Ok);
    ASSERT_EQ(reg.SetDword(HKCU, "\\software\\\\QUILLFEN\\corvale\\SETTINGS\\",
                           "shrinklargeimages", 0),
              RegistryStatus::Ok);
    uint32_t n = 7;
    EXPECT_EQ(reg.GetDword(HKCU, "SOFTWARE\\quillfen\\Corvale\\settings", "SHRINKLARGEIMAGES", n),
              RegistryStatus::Ok);
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(reg.ValueNames(HKCU, kKey), std::vector<std::string>{"ShrinkLargeImages"});
    EXPECT_EQ(reg.SubKeys(HKCU, "software"), std::vector<std::string>{"Quillfen"});
    EXPECT_EQ(reg.SubKeys(HKCU, ""), std::vector<std::string>{"Software"});

    // Subkeys come sorted without regard to case; values in creation order.
    reg.CreateKey(HKCU, "Software\\beta");
    reg.CreateKey(HKCU, "Software\\Alpha\\Deep");
    EXPECT_EQ(reg.SubKeys(HKCU, "Software"),
              (std::vector<std::string>{"Alpha", "beta", "Quillfen"}));
    reg.SetString(HKCU, kKey, "Zed", "z");
    reg.SetString(HKCU, kKey, "", "default");
    EXPECT_EQ(reg.ValueNames(HKCU, kKey),
              (std::vector<std::string>{"ShrinkLargeImages", "Zed", ""}));
    EXPECT_TRUE(reg.HasSubKey(HKCU, "software\\alpha", "DEEP"));
    EXPECT_FALSE(reg.HasSubKey(HKCU, "Software\\beta", "Deep"));
}

TEST(Registry, ValuesKeepTheirType)
{
    ScopedRegistry scope;
    Registry reg = Registry::Default();
    reg.SetDword(HKCU, kKey, "Number", 42);
    reg.SetString(HKCU, kKey, "Text", "42");
    std::string s;
    uint32_t n = 0;
    EXPECT_EQ(reg.GetString(HKCU, kKey, "Number", s), RegistryStatus::WrongType);
    EXPECT_EQ(reg.GetDword(HKCU, kKey, "Text", n), RegistryStatus::WrongType);
    EXPECT_EQ(reg.GetDword(HKCU, kKey, "Missing", n), RegistryStatus::NotFound);
    EXPECT_EQ(reg.GetDword(HKCU, "No\\Such\\Key", "Number", n), RegistryStatus::NotFound);

    // Setting a value of the other type replaces it, as RegSetValueEx does.
    ASSERT_EQ(reg.SetString(HKCU, kKey, "Number", "now text"), RegistryStatus::Ok);
    Reopened copy(reg);
    EXPECT_EQ(copy.registry.GetString(HKCU, kKey, "Number", s), RegistryStatus::Ok);
    EXPECT_EQ(s, "now text");
    EXPECT_EQ(copy.registry.GetDword(HKCU, kKey, "Number", n), RegistryStatus::WrongType);
}

TEST(Registry, DeletesValuesAndWholeKeys)
{
    ScopedRegistry scope;
    Registry reg = Registry::Default();
    reg.SetString(HKCU, "A\\B\\C", "v", "1");
    reg.SetString(HKCU, "A\\B", "w", "2");
    reg.SetString(HKCU, "A\\Bee", "x", "3"); // shares a prefix with A\B: must survive
    std::string s;

    EXPECT_EQ(reg.DeleteValue(HKCU, "a\\b", "W"), RegistryStatus::Ok);
    EXPECT_EQ(reg.GetString(HKCU, "A\\B", "w", s), RegistryStatus::NotFound);
    EXPECT_EQ(reg.DeleteValue(HKCU, "A\\B", "w"), RegistryStatus::NotFound);
    EXPECT_EQ(reg.DeleteValue(HKCU, "A\\Nope", "w"), RegistryStatus::NotFound);
    EXPECT_TRUE(reg.KeyExists(HKCU, "A\\B")); // an emptied key stays

    EXPECT_EQ(reg.DeleteKey(HKCU, "A\\B"), RegistryStatus::Ok);
    EXPECT_FALSE(reg.KeyExists(HKCU, "A\\B"));
    EXPECT_FALSE(reg.KeyExists(HKCU, "A\\B\\C"));
    EXPECT_EQ(reg.GetString(HKCU, "A\\B\\C", "v", s), RegistryStatus::NotFound);
    EXPECT_EQ(reg.GetString(HKCU, "A\\Bee", "x", s), RegistryStatus::Ok);
    EXPECT_EQ(reg.DeleteKey(HKCU, "A\\B"), RegistryStatus::NotFound);
    EXPECT_EQ(reg.DeleteKey(HKCU, "\\"), RegistryStatus::IoError);
    EXPECT_TRUE(reg.KeyExists(HKCU, ""));

    // Roots are separate files.
    reg.SetString(RegistryRoot::LocalMachine, "A\\B", "w", "machine");
    EXPECT_FALSE(reg.KeyExists(HKCU, "A\\B"));
    EXPECT_TRUE(FileExistsAt(reg.Folder() + "/HKEY_LOCAL_MACHINE.reg"));
}

TEST(Registry, MissingFolderIsEmptyAndIsCreatedOnFirstWrite)
{
    TempDir dir;
    Registry reg(dir.File("deep/er/registry"));
    std::string s;
    EXPECT_EQ(reg.GetString(HKCU, kKey, "x", s), RegistryStatus::NotFound);
    EXPECT_FALSE(reg.KeyExists(HKCU, "Software"));
    EXPECT_TRUE(reg.SubKeys(HKCU, "").empty());
    EXPECT_FALSE(FileExistsAt(dir.File("deep")));
    ASSERT_EQ(reg.SetString(HKCU, kKey, "x", "y"), RegistryStatus::Ok);
    struct stat st;
    ASSERT_EQ(stat(reg.Folder().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 077, 0u); // settings are private to the user
}

TEST(Registry, DamagedStoreIsReportedAndNeverOverwritten)
{
    ScopedRegistry scope;
    Registry reg = Registry::Default();
    ASSERT_EQ(reg.SetString(HKCU, kKey, "a", "1"), RegistryStatus::Ok);
    const std::string good = ReadFileBytes(reg.FileOf(HKCU));

    const std::vector<std::string> damaged = {
        "garbage\n",
        "", // an empty file is a truncated one
        good.substr(0, good.find('\n') + 1) + "X \"what\"\nEND 1\n",
        good.substr(0, good.rfind("END")) + "END 7\n",                // wrong count
        good + "K \"after end\"\n",                                  // data after END
        "CorvaleRegistry 2 0000000000000000\nEND 0\n",                // newer format
        good.substr(0, good.find('\n') + 1) + "S \"a\" \"bad \\q escape\"\nEND 1\n",
        good.substr(0, good.find('\n') + 1) + "D \"a\" 4294967296\nEND 1\n", // too big
    };
    for (const std::string& bytes : damaged) {
        SCOPED_TRACE(bytes);
        ASSERT_TRUE(WriteFileBytes(reg.FileOf(HKCU), bytes));
        std::string s;
        uint32_t n;
        EXPECT_EQ(reg.GetString(HKCU, kKey, "a", s), RegistryStatus::Damaged);
        EXPECT_NE(reg.LastError().find(reg.FileOf(HKCU)), std::string::npos) << reg.LastError();
        EXPECT_EQ(reg.GetDword(HKCU, kKey, "a", n), RegistryStatus::Damaged);
        EXPECT_FALSE(reg.KeyExists(HKCU, kKey));
        EXPECT_EQ(reg.SetString(HKCU, kKey, "a", "2"), RegistryStatus::Damaged);
        EXPECT_EQ(reg.CreateKey(HKCU, "New"), RegistryStatus::Damaged);
        EXPECT_EQ(reg.DeleteKey(HKCU, "Software"), RegistryStatus::Damaged);
        EXPECT_EQ(ReadFileBytes(reg.FileOf(HKCU)), bytes);
        // Another root is unaffected.
        EXPECT_EQ(reg.SetString(RegistryRoot::LocalMachine, kKey, "a", "2"), RegistryStatus::Ok);
    }
    WriteFileBytes(reg.FileOf(HKCU), "CorvaleRegistry 2 0000000000000000\nEND 0\n");
    std::string s;
    reg.GetString(HKCU, kKey, "a", s);
    EXPECT_NE(reg.LastError().find("version 2"), std::string::npos) << reg.LastError();
}

TEST(RegistryCheck, ADamagedStoreIsToldOnceAndMayBeStartedAfreshBesideAKeptCopy)
{
    ScopedRegistry scope;
    Registry reg = Registry::Default();
    const std::string store = reg.FileOf(HKCU);
    ASSERT_EQ(reg.SetString(HKCU, kKey, "a", "1"), RegistryStatus::Ok);
    ASSERT_EQ(reg.SetString(RegistryRoot::LocalMachine, kKey, "a", "1"), RegistryStatus::Ok);
    ASSERT_TRUE(WriteFileBytes(store, "garbage\n"));
    const std::string question = "The settings file\n\n" + store +
                                 "\n\nis damaged, so no settings can be saved until it is replaced.\n\n"
                                 "Start a fresh settings file? The damaged one will be kept as\n\n" +
                                 store + ".damaged";
    RecordingPrompter prompter;
    // No: nothing moves and writes are still refused.
    OfferFreshStoresForDamagedOnes(reg);
    ASSERT_EQ(prompter.Texts(), std::vector<std::string>{question});
    EXPECT_EQ(prompter.m_entries[0].buttons, PromptButtons::YesNo);
    EXPECT_EQ(prompter.m_entries[0].icon, PromptIcon::Exclamation);
    EXPECT_EQ(ReadFileBytes(store), "garbage\n");
    EXPECT_EQ(reg.SetString(HKCU, kKey, "a", "2"), RegistryStatus::Damaged);

    // Yes: the damaged file is kept as it was and the next write starts afresh.
    prompter.m_entries.clear();
    prompter.QueueReply(PromptReply::Yes);
    OfferFreshStoresForDamagedOnes(reg);
    EXPECT_EQ(prompter.Texts(), std::vector<std::string>{question});
    EXPECT_EQ(ReadFileBytes(store + ".damaged"), "garbage\n");
    EXPECT_EQ(reg.SetString(HKCU, kKey, "a", "2"), RegistryStatus::Ok);
    // Healthy stores say nothing; an earlier kept copy is never replaced.
    prompter.m_entries.clear();
    OfferFreshStoresForDamagedOnes(reg);
    EXPECT_TRUE(prompter.m_entries.empty());
    ASSERT_TRUE(WriteFileBytes(store, "again\n"));
    std::string kept;
    EXPECT_EQ(reg.KeptCopyPath(HKCU), store + ".damaged-2");
    EXPECT_EQ(reg.KeepDamagedStoreAside(HKCU, kept), RegistryStatus::Ok);
    EXPECT_EQ(kept, store + ".damaged-2");
    EXPECT_EQ(ReadFileBytes(store + ".damaged"), "garbage\n");

    // A store a newer program wrote is not ours to replace.
    const std::string newer = "CorvaleRegistry 2 0000000000000000\nEND 0\n";
    ASSERT_TRUE(WriteFileBytes(store, newer));
    prompter.QueueReply(PromptReply::Yes);
    OfferFreshStoresForDamagedOnes(reg);
    EXPECT_TRUE(prompter.m_entries.empty());
    EXPECT_EQ(reg.KeepDamagedStoreAside(HKCU, kept), RegistryStatus::Damaged);
    EXPECT_EQ(ReadFileBytes(store), newer);
}

TEST(Registry, EveryTruncationOfAStoreIsDetected)
{
    ScopedRegistry scope;
    Registry reg = Registry::Default();
    reg.SetString(HKCU, kKey, "Text", "some \"quoted\" text");
    reg.SetDword(HKCU, kKey, "Number", 1234);
    reg.CreateKey(HKCU, "Software\\Empty");
    const std::string full = ReadFileBytes(reg.FileOf(HKCU));
    for (size_t length = 0; length < full.size(); ++length) {
        WriteFileBytes(reg.FileOf(HKCU), full.substr(0, length));
        std::string s;
        ASSERT_EQ(reg.GetString(HKCU, kKey, "Text", s), RegistryStatus::Damaged)
            << "cut at " << length;
    }
    WriteFileBytes(reg.FileOf(HKCU), full);
    std::string s;
    EXPECT_EQ(reg.GetString(HKCU, kKey, "Text", s), RegistryStatus::Ok);
}

TEST(Registry, WritesLeaveNoTemporaryFiles)
{
    ScopedRegistry scope;
    Registry reg = Registry::Default();
    // A temporary file left by a writer that died is cleared by the next writer.
    WriteFileBytes(reg.Folder() + "/.HKEY_CURRENT_USER.reg.tmp.AbC123", "half");
    for (int i = 0; i < 20; ++i)
        ASSERT_EQ(reg.SetDword(HKCU, kKey, "n" + std::to_string(i % 5), i), RegistryStatus::Ok);
    EXPECT_EQ(FolderEntries(reg.Folder()),
              (std::vector<std::string>{".HKEY_CURRENT_USER.reg.lock", "HKEY_CURRENT_USER.reg"}));
    struct stat st;
    ASSERT_EQ(stat(reg.FileOf(HKCU).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 077, 0u);
}

TEST(Registry, ConcurrentWritersLoseNoUpdate)
{
    ScopedRegistry scope;
    const int kProcesses = 4;
    const int kWrites = 25;
    std::vector<pid_t> children;
    for (int p = 0; p < kProcesses; ++p) {
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            Registry reg = Registry::Default(); // each process its own object and cache
            int failures = 0;
            for (int i = 0; i < kWrites; ++i)
                if (reg.SetDword(HKCU, kKey, "p" + std::to_string(p) + "_" + std::to_string(i),
                                 static_cast<uint32_t>(p * 1000 + i)) != RegistryStatus::Ok)
                    ++failures;
            _exit(failures == 0 ? 0 : 1);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    Registry reg = Registry::Default();
    EXPECT_EQ(reg.ValueNames(HKCU, kKey).size(), static_cast<size_t>(kProcesses * kWrites));
    for (int p = 0; p < kProcesses; ++p) {
        for (int i = 0; i < kWrites; ++i) {
            uint32_t n = 0;
            std::string name = "p" + std::to_string(p) + "_" + std::to_string(i);
            ASSERT_EQ(reg.GetDword(HKCU, kKey, name, n), RegistryStatus::Ok);
            EXPECT_EQ(n, static_cast<uint32_t>(p * 1000 + i));
        }
    }
}

TEST(Registry, ReaderSeesAnotherProcessWriteOfTheSameSize)
{
    ScopedRegistry scope;
    Registry reg = Registry::Default();
    reg.SetString(HKCU, kKey, "Word", "aaaa");
    // Same size, same second, possibly the same inode number again: the reader
    // cache must still notice every change.
    for (int round = 0; round < 20; ++round) {
        std::string before;
        ASSERT_EQ(reg.GetString(HKCU, kKey, "Word", before), RegistryStatus::Ok);
        std::string next = before == "aaaa" ? "bbbb" : "aaaa";
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            bool ok = Registry::Default().SetString(HKCU, kKey, "Word", next) == RegistryStatus::Ok;
            _exit(ok ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        std::string after;
        ASSERT_EQ(reg.GetString(HKCU, kKey, "Word", after), RegistryStatus::Ok);
        ASSERT_EQ(after, next) << "round " << round;
    }
}

TEST(Registry, DefaultFolderFollowsTheEnvironment)
{
    std::string saved = std::getenv("CORVALE_REGISTRY_DIR");
    setenv("CORVALE_REGISTRY_DIR", "/somewhere/else", 1);
    EXPECT_EQ(Registry::DefaultFolder(), "/somewhere/else");
    EXPECT_EQ(Registry::Default().Folder(), "/somewhere/else");
    unsetenv("CORVALE_REGISTRY_DIR");
    EXPECT_EQ(Registry::DefaultFolder(), std::string(std::getenv("XDG_CONFIG_HOME")) +
                                             "/Quillfen/registry");
    std::string config = std::getenv("XDG_CONFIG_HOME");
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(Registry::DefaultFolder(), std::string(std::getenv("HOME")) +
                                             "/.config/Quillfen/registry");
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    setenv("CORVALE_REGISTRY_DIR", saved.c_str(), 1);
}
