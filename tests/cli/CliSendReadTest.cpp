// send, read and check through the real quillet-cli over real chat folders.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <filesystem>
#include <regex>

#include "CliFixture.h"
#include "outside/SettingsStore.h"
#include "outside/Support.h"
#include "outside/Utf.h"

namespace clitest {
namespace {

constexpr const char* kOtherGuid = "{AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE}";
constexpr const char* kCorpusMineGuid = "{1111AAAA-2222-3333-4444-5555BBBBCCCC}";
constexpr const char* kBroken = "Не удалось обработать полученное сообщение";

std::string Chomp(std::string text) {
    while (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
}

class SendReadTest : public CliTest {
protected:
    void RemoveMessageFiles() const {
        for (const std::string& name : FolderNames())
            if (chat / name != chatFile) ::unlink((chat / name).c_str());
    }
    // What the folder looks like to anyone: names, sizes, times, modes and DOS attributes.
    std::string Snapshot() const {
        std::string text;
        for (const std::string& name : FolderNames()) {
            struct stat st {};
            ::stat((chat / name).c_str(), &st);
            char attributes[64] = {};
            ::getxattr((chat / name).c_str(), "user.DOSATTRIB", attributes, sizeof attributes - 1);
            text += name + " " + std::to_string(st.st_size) + " " + std::to_string(st.st_mtim.tv_sec) + "." +
                    std::to_string(st.st_mtim.tv_nsec) + " " + std::to_string(st.st_mode) + " [" + attributes + "]\n";
        }
        return text;
    }
};

TEST_F(SendReadTest, SendThenReadRoundTripsBothFormats) {
    struct Case {
        const char* label;
        bool xml;
        bool viaStdin;
        std::string text;
        std::string expected;
    };
    const Case cases[] = {
        {"Cyrillic argument", false, false, "Привет, мир", "Привет, мир"},
        {"Cyrillic argument", true, false, "Привет, мир", "Привет, мир"},
        {"markup from stdin", false, true, "a <b> & c \"d\" 'e' &amp; ]]>\n", "a <b> & c \"d\" 'e' &amp; ]]>"},
        {"markup from stdin", true, true, "a <b> & c \"d\" 'e' &amp; ]]>\n", "a <b> & c \"d\" 'e' &amp; ]]>"},
        {"every line break", false, true, "\none\ntwo\r\nthree\rfour\n\n", "one\r\ntwo\r\nthree\r\nfour"},
        {"every line break", true, true, "\none\ntwo\r\nthree\rfour\n\n", "one\r\ntwo\r\nthree\r\nfour"},
    };
    SetChatName("Аня");
    const std::regex name(R"((\d{4})-(\d\d)-(\d\d) (\d\d)-(\d\d)-(\d\d)-(\d{3}) \{[0-9A-F-]{36}\}\.(ZPMF|ZXMF))");
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.label) + (c.xml ? ", XML" : ", binary"));
        RemoveMessageFiles();
        std::vector<std::string> args{"send"};
        if (c.xml) args.push_back("--xml");
        args.push_back(c.xml ? chat.path() : chatFile);  // a chat folder or its chat file
        args.push_back(c.viaStdin ? "-" : c.text);
        const CliResult sent = RunCli(args, c.viaStdin ? c.text : "");
        ASSERT_EQ(sent.exitCode, 0) << sent.err;
        EXPECT_EQ(sent.err, "");
        const std::string path = Chomp(sent.out);
        EXPECT_EQ(outside::esGetFilePath(path), chat.path());
        std::smatch parts;
        const std::string fileName = outside::esGetFileName(path);
        ASSERT_TRUE(std::regex_match(fileName, parts, name)) << fileName;
        EXPECT_EQ(parts[8], c.xml ? "ZXMF" : "ZPMF");

        const CliResult read = RunCli({"read", "--json", chatFile});
        ASSERT_EQ(read.exitCode, 0) << read.err;
        const auto messages = ParseJsonLines(read.out);
        ASSERT_EQ(messages.size(), 1u) << read.out;
        const JsonObject& m = messages[0];
        EXPECT_EQ(m.at("text"), c.expected);
        EXPECT_EQ(m.at("user"), "Аня");
        EXPECT_EQ(m.at("client"), StoredClientGuid());
        EXPECT_EQ(m.at("own"), "true");
        EXPECT_EQ(m.at("format"), c.xml ? "xml" : "binary");
        EXPECT_EQ(m.at("file"), fileName);
        // The stamp of the name and the time inside are the same UTC instant.
        const std::string iso = parts[1].str() + "-" + parts[2].str() + "-" + parts[3].str() + "T" + parts[4].str() +
                                ":" + parts[5].str() + ":" + parts[6].str() + "." + parts[7].str() + "Z";
        EXPECT_EQ(m.at("time"), iso);
    }
}

TEST_F(SendReadTest, ClientGuidIsMadeOnFirstUseAndKept) {
    ASSERT_EQ(StoredClientGuid(), "");
    ASSERT_EQ(RunCli({"send", chatFile, "раз"}).exitCode, 0);
    const std::string guid = StoredClientGuid();
    EXPECT_TRUE(std::regex_match(guid, std::regex(R"(\{[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}\})"))) << guid;
    ASSERT_EQ(RunCli({"send", "--xml", chatFile, "два"}).exitCode, 0);
    EXPECT_EQ(StoredClientGuid(), guid);
    const auto messages = ParseJsonLines(RunCli({"read", "--json", chatFile}).out);
    ASSERT_EQ(messages.size(), 2u);
    for (const JsonObject& m : messages) EXPECT_EQ(m.at("client"), guid);
}

TEST_F(SendReadTest, ClientGuidIsReadAndMadeUnderTheLockEveryCommandTakes) {
    // While another command holds the lock and makes its GUID, a send waits
    // and then uses that GUID rather than making one of its own.
    const std::string folder = home / "config/greyfen-works";
    std::filesystem::create_directories(folder);
    const int lock = ::open((folder + "/quillet-cli.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(lock, 0);
    ASSERT_EQ(::flock(lock, LOCK_EX), 0);
    CliChild send({"send", chatFile, "после"});
    ::usleep(1000000);
    outside::SettingsStore().WriteString("", "My GUID", kOtherGuid);
    ::close(lock);
    EXPECT_EQ(send.Finish().exitCode, 0);
    const auto messages = ParseJsonLines(RunCli({"read", "--json", chatFile}).out);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].at("client"), kOtherGuid);
}

TEST_F(SendReadTest, NameIsTheChatsOrTheOptionsOrAnonymous) {
    struct Case {
        const char* stored;
        std::optional<std::string> option;
        const char* expected;
    };
    const Case cases[] = {
        {"Аня", std::nullopt, "Аня"},
        {"Аня", "Бот <1>", "Бот <1>"},
        {"  ", std::nullopt, "Анонимус"},
        {"Аня", " \r\n ", "Анонимус"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored + std::string(" / ") + c.option.value_or("-"));
        RemoveMessageFiles();
        SetChatName(c.stored);
        std::vector<std::string> args{"send"};
        if (c.option) args.insert(args.end(), {"--name", *c.option});
        args.insert(args.end(), {chatFile, "текст"});
        ASSERT_EQ(RunCli(args).exitCode, 0);
        const auto messages = ParseJsonLines(RunCli({"read", "--json", chatFile}).out);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].at("user"), c.expected);
    }
}

TEST_F(SendReadTest, ReadPrintsWhatThePaneShowsOwnMessagesMarked) {
    SetChatName("Аня");
    ASSERT_EQ(RunCli({"send", chatFile, "Моё\nсообщение"}).exitCode, 0);
    PutCorpusFile("b03-other.ZPMF");
    PutCorpusFile("t02-utf8.ZTMF");
    const CliResult read = RunCli({"read", chatFile});
    ASSERT_EQ(read.exitCode, 0) << read.err;
    const std::string stamp = R"(  \(\d{1,2}:\d\d:\d\d - \d\d\.\d\d\.\d{4}\)\n)";
    const std::regex pane("\\* Аня" + stamp + "Моё\nсообщение\n\nГость" + stamp + "Здравствуйте\n\n" +
                          "Текстовый Анонимус" + stamp + "Hello\nмир\n");
    EXPECT_TRUE(std::regex_match(read.out, pane)) << read.out;
}

TEST_F(SendReadTest, ReadAndCheckChangeNothingInTheFolder) {
    ASSERT_EQ(RunCli({"send", chatFile, "binary"}).exitCode, 0);
    ASSERT_EQ(RunCli({"send", "--xml", chatFile, "xml"}).exitCode, 0);
    for (const char* corpus : {"b02-eight-fields.ZPMF", "x09-malformed.ZXMF", "t01-utf8-bom.ZTMF", "b03-other.ZPMF"})
        PutCorpusFile(corpus);
    PutFile("s.ZPMF", "", 60);
    PutFile("s.ZPMF.!sync", "", 60);
    PutFile("young.ZPMF", "broken", 0);
    const std::string before = Snapshot();
    ::sync();
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"read", chatFile}, {"read", "--json", chat.path()}, {"read", "--verbose", chatFile},
             {"check", chat / "b02-eight-fields.ZPMF", chat / "young.ZPMF", chat / "b03-other.ZPMF"}}) {
        const CliResult r = RunCli(args);
        EXPECT_NE(r.out, "") << args[0];
    }
    EXPECT_EQ(Snapshot(), before);
    struct stat st {};
    EXPECT_NE(::stat((home / "state").c_str(), &st), 0) << "read keeps no state";
}

TEST_F(SendReadTest, BrokenFilesAreReportedOnStderrAndSkipped) {
    PutCorpusFile("b03-other.ZPMF");
    PutCorpusFile("x01-utc.ZXMF");
    const std::string broken[] = {PutCorpusFile("b02-eight-fields.ZPMF"), PutCorpusFile("x06-missing-text.ZXMF"),
                                  PutCorpusFile("x09-malformed.ZXMF")};
    PutFile("young.ZPMF", "still arriving", 0);
    PutFile("s.ZPMF", "", 60);
    PutFile("s.ZPMF.!sync", "", 60);

    const CliResult read = RunCli({"read", "--json", chatFile});
    EXPECT_EQ(read.exitCode, 0);
    const auto messages = ParseJsonLines(read.out);
    ASSERT_EQ(messages.size(), 2u) << read.out;
    EXPECT_EQ(messages[0].at("user"), "Гость");
    EXPECT_EQ(messages[1].at("user"), "Вова");
    std::string expected;
    for (const std::string& path : broken) expected += "quillet-cli: " + path + ": broken message file, left out\n";
    EXPECT_EQ(read.err, expected) << "one line a broken file, nothing on the young one";

    // --verbose adds Quillet's own notices: why a file is broken, which wait.
    const CliResult verbose = RunCli({"read", "--verbose", chatFile});
    EXPECT_EQ(Count(verbose.err, kBroken), 3u) << verbose.err;
    EXPECT_NE(verbose.err.find(std::string(kBroken) + ": нарушена структура XML, доступны не все элементы.\nОшибка "),
              std::string::npos)
        << verbose.err;
    EXPECT_NE(verbose.err.find("Файл не разобран, но он только что записан. Пока пропускаем.\n" + (chat / "young.ZPMF")),
              std::string::npos)
        << verbose.err;
    EXPECT_NE(verbose.err.find("Файл ещё синхронизируется. Пока пропускаем.\n" + (chat / "s.ZPMF")), std::string::npos);
    EXPECT_EQ(verbose.err.find("DispatchAllMessages() ==> "), std::string::npos) << "read hides and deletes nothing";
}

TEST_F(SendReadTest, ControlCharactersOfOthersNeverReachTheTerminal) {
    PutFile("t-escape.ZTMF", "\x1b[2J\x1b]0;title\x07ok\xc2\x9b" "31m\r\nend");
    const CliResult read = RunCli({"read", chatFile});
    ASSERT_EQ(read.exitCode, 0);
    for (const char* control : {"\x1b", "\x07", "\xc2\x9b", "\r"})
        EXPECT_EQ(read.out.find(control), std::string::npos) << read.out;
    EXPECT_NE(read.out.find("\xEF\xBF\xBD[2J\xEF\xBF\xBD]0;title\xEF\xBF\xBDok\xEF\xBF\xBD" "31m\nend"),
              std::string::npos)
        << read.out;
    // JSON keeps the text exactly, escaped.
    const CliResult json = RunCli({"read", "--json", chatFile});
    EXPECT_NE(json.out.find("\\u001b[2J"), std::string::npos) << json.out;
    const auto messages = ParseJsonLines(json.out);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].at("text"), "\x1b[2J\x1b]0;title\x07ok\xc2\x9b" "31m\r\nend");
    EXPECT_EQ(messages[0].at("client"), std::nullopt);
}

TEST_F(SendReadTest, SendRefusesWhatAMessageCannotCarry) {
    struct Case {
        const char* label;
        std::string input;
        const char* error;
    };
    const Case cases[] = {
        {"U+0000", std::string("a\0b", 3), "control characters"},
        {"escape sequence", "a\x1b[31mb", "control characters"},
        {"not UTF-8", "\xff\xfe\x41", "not UTF-8"},
        {"blanks and line breaks", " \n \r\n ", "nothing to send"},
        {"nothing", "", "nothing to send"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        for (const char* format : {"--xml", "--name=x"}) {
            const CliResult r = RunCli({"send", format, chatFile}, c.input);
            EXPECT_EQ(r.exitCode, 2);
            EXPECT_NE(r.err.find(c.error), std::string::npos) << r.err;
            EXPECT_EQ(r.out, "");
        }
    }
    const CliResult name = RunCli({"send", "--name", "a\x1b[2Jb", chatFile, "text"});
    EXPECT_EQ(name.exitCode, 2);
    EXPECT_NE(name.err.find("the name holds control characters"), std::string::npos) << name.err;
    EXPECT_EQ(FolderNames(), std::vector<std::string>{"Беседа.ZPMFChat"});
}

TEST_F(SendReadTest, WrongUsageAndMissingChatsHaveTheirExitCodes) {
    testsupport::TempDir empty;
    testsupport::TempDir twoChats;
    testsupport::WriteRaw(twoChats / "a.ZPMFChat", "");
    testsupport::WriteRaw(twoChats / "b.zpmfchat", "");
    const std::string message = PutCorpusFile("b03-other.ZPMF");
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        std::string error;
    };
    const Case cases[] = {
        {{}, 2, "no command given"},
        {{"frob"}, 2, "unknown command \"frob\""},
        {{"read"}, 2, "no chat given"},
        {{"read", chatFile, chatFile}, 2, "one chat at a time"},
        {{"read", "--xml", chatFile}, 2, "unknown option --xml"},
        {{"send", chatFile, "--name"}, 2, "--name needs a value"},
        {{"follow", "--json=yes", chatFile}, 2, "--json takes no value"},
        {{"check"}, 2, "no file given"},
        {{"read", "--color=sometimes", chatFile}, 2, "--color takes auto, always or never"},
        {{"read", "--since", "yesterday", chatFile}, 2, "\"yesterday\" is not a time"},
        {{"read", "--since", "2024-02-30", chatFile}, 2, "\"2024-02-30\" is not a time"},
        {{"follow", chatFile, "--since"}, 2, "--since needs a value"},
        {{"send", chatFile, "-1"}, 2, "unknown option -1 (a text that begins with \"-\" goes after \"--\")"},
        {{"read", home / "missing"}, 3, "no such chat file or folder"},
        {{"send", home / "missing.ZPMFChat", "x"}, 3, "no such chat file or folder"},
        {{"read", empty.path()}, 3, "not a chat folder"},
        {{"follow", message}, 3, "not a chat file"},
        {{"read", twoChats.path()}, 3, "several chat files; name one of them:\n  a.ZPMFChat\n  b.zpmfchat"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.empty() ? "(no arguments)" : c.args[0] + " " + c.error);
        const CliResult r = RunCli(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode);
        EXPECT_NE(r.err.find(c.error), std::string::npos) << r.err;
        EXPECT_EQ(r.err.rfind("quillet-cli", 0), 0u) << "errors say whose they are: " << r.err;
        EXPECT_EQ(r.out, "");
    }
    const std::vector<std::pair<std::vector<std::string>, std::string>> helps = {
        {{"--help"}, "Usage: quillet-cli COMMAND"},         {{"help", "send"}, "Usage: quillet-cli send "},
        {{"read", "--help"}, "Usage: quillet-cli read "},   {{"follow", "-h"}, "Usage: quillet-cli follow "},
        {{"check", "--help"}, "Usage: quillet-cli check "},
        {{"--version"}, "quillet-cli 1."},
    };
    for (const auto& [args, usage] : helps) {
        const CliResult r = RunCli(args);
        EXPECT_EQ(r.exitCode, 0) << usage;
        EXPECT_EQ(r.out.rfind(usage, 0), 0u) << r.out;
    }
    EXPECT_NE(RunCli({"--help"}).out.find("\"--\" ends the\noptions"), std::string::npos);
    // Text after "--" is text, dash and all.
    ASSERT_EQ(RunCli({"send", chatFile, "--", "-1", "--json"}).exitCode, 0);
    EXPECT_EQ(Texts(RunCli({"read", "--json", chatFile}).out), (std::vector<std::string>{"-1 --json", "Здравствуйте"}));
}

TEST_F(SendReadTest, SendFailuresSayTheSystemsReason) {
    // Root writes anywhere a mode allows nothing: as root, a read-only and a
    // full file system stop it; otherwise a folder without write permission.
    struct Case {
        const char* name;
        const char* reason;
        bool rootOnly;
    };
    const Case cases[] = {{"read-only", "Permission denied", false}, {"full", "No space left on device", true}};
    const bool root = ::geteuid() == 0;
    for (const Case& c : cases) {
        if (c.rootOnly && !root) continue;
        SCOPED_TRACE(c.name);
        const std::string folder = home / c.name;
        ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
        if (root && ::mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=64k") != 0)
            GTEST_SKIP() << "tmpfs cannot be mounted";
        testsupport::WriteRaw(folder + "/Чат.ZPMFChat", "");
        if (std::string(c.name) == "full") {
            const int fd = ::open((folder + "/filler").c_str(), O_WRONLY | O_CREAT, 0600);
            const std::string block(4096, 'x');
            while (::write(fd, block.data(), block.size()) > 0) {
            }
            ::close(fd);
        } else if (root) {
            ASSERT_EQ(::mount("tmpfs", folder.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, "size=64k"), 0);
        } else {
            ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
        }
        for (const char* format : {"--name=Аня", "--xml"}) {
            const CliResult r = RunCli({"send", format, folder, "текст"});
            EXPECT_EQ(r.exitCode, 1) << format;
            EXPECT_EQ(r.out, "");
            EXPECT_EQ(r.err.rfind("quillet-cli send: cannot write " + folder + "/", 0), 0u) << r.err;
            const std::string end = std::string(".Z") + (format[2] == 'x' ? "X" : "P") + "MF: " + c.reason + "\n";
            EXPECT_EQ(r.err.size() > end.size() ? r.err.substr(r.err.size() - end.size()) : r.err, end);
        }
        if (root) ::umount(folder.c_str());
    }
}

TEST_F(SendReadTest, StreamsAndFoldersFailAsUnixToolsSay) {
    ASSERT_EQ(RunCli({"send", chatFile, "текст"}).exitCode, 0);
    const std::string locked = home / "locked";
    ASSERT_EQ(::mkdir(locked.c_str(), 0755), 0);
    testsupport::WriteRaw(locked + "/Чат.ZPMFChat", "");
    ASSERT_EQ(::chmod(locked.c_str(), 0300), 0);  // enterable, not readable
    // Root reads any folder; without those two capabilities it obeys the mode.
    const std::string asUser = ::geteuid() == 0 ? "setpriv --bounding-set -dac_override,-dac_read_search -- " : "";
    struct Case {
        const char* label;
        std::string commandLine;
        int exitCode;
        std::string err;
    };
    const Case cases[] = {
        {"output to a full disk", "\"$QCLI\" read " + Quoted(chatFile) + " >/dev/full", 1,
         "quillet-cli: standard output: No space left on device\n"},
        {"input without end",
         "{ head -c 64000000 /dev/zero 2>/dev/null || echo the rest was refused >&2; } | \"$QCLI\" send " +
             Quoted(chatFile) + " -",
         2, "quillet-cli send: the message is too long: Quillet reads message files of up to 4 MiB\nthe rest was refused\n"},
        {"a folder that cannot be read", asUser + "\"$QCLI\" read " + Quoted(locked), 3,
         "quillet-cli: " + locked + ": Permission denied\n"},
        {"the chat file of such a folder", asUser + "\"$QCLI\" follow " + Quoted(locked + "/Чат.ZPMFChat"), 3,
         "quillet-cli: " + locked + ": Permission denied\n"},
    };
    for (const Case& c : cases) {
        const CliResult r = RunShell(c.commandLine);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.label;
        EXPECT_EQ(r.err, c.err) << c.label;
    }
    ::chmod(locked.c_str(), 0755);
}

TEST_F(SendReadTest, ColoursAsAskedWithNoColorBeside) {
    ASSERT_EQ(RunCli({"send", chatFile, "цвет"}).exitCode, 0);
    // script(1) gives the command a terminal.
    const std::string onTerminal = "script -qec '\"$QCLI\" read $OPTION \"$CHAT\"' /dev/null";
    struct Case {
        const char* environment;
        const char* option;
        bool terminal;
        bool coloured;
    };
    const Case cases[] = {
        {"", "", false, false},          {"", "--color=always", false, true},
        {"NO_COLOR=1", "--color", false, true},  // asked for outranks NO_COLOR
        {"", "", true, true},            {"NO_COLOR=1", "", true, false},
        {"", "--color=never", true, false}, {"TERM=dumb", "--color=auto", true, false},
    };
    for (const Case& c : cases) {
        const std::string line = "CHAT=" + Quoted(chatFile) + "; OPTION=" + c.option + "; export CHAT OPTION; " +
                                 c.environment + " " + (c.terminal ? onTerminal : "\"$QCLI\" read $OPTION \"$CHAT\"");
        const CliResult r = RunShell(line);
        EXPECT_NE(r.out.find("цвет"), std::string::npos) << line << "\n" << r.out << r.err;
        EXPECT_EQ(r.out.find("\x1b[") != std::string::npos, c.coloured) << line;
    }
}

TEST_F(SendReadTest, JsonStaysValidForFileNamesThatAreNotUtf8) {
    const std::string latin1 = PutFile("caf\xe9 \xff.ZTMF", "текст");
    const std::string replaced = "caf\xEF\xBF\xBD \xEF\xBF\xBD.ZTMF";
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"read", "--json", chatFile}, {"check", "--json", latin1}}) {
        const CliResult r = RunCli(args);
        EXPECT_TRUE(outside::IsValidUtf8(r.out)) << args[0];
        const auto objects = ParseJsonLines(r.out);
        ASSERT_EQ(objects.size(), 1u) << r.out;
        EXPECT_EQ(objects[0].at("file"), replaced) << args[0];
        if (args[0] == "check") {
            EXPECT_EQ(objects[0].at("path"), chat / replaced);
        }
    }
}

TEST_F(SendReadTest, CheckTellsResultKindFieldsAndNotice) {
    outside::SettingsStore().WriteString("", "My GUID", kCorpusMineGuid);
    const std::string files[] = {PutCorpusFile("b03-other.ZPMF"), PutCorpusFile("b04-mine.ZPMF"),
                                 PutCorpusFile("x06-missing-text.ZXMF"), chat / "missing.ZPMF"};
    const CliResult json = RunCli({"check", "--json", files[0], files[1], files[2], files[3]});
    EXPECT_EQ(json.exitCode, 4);
    const auto results = ParseJsonLines(json.out);
    ASSERT_EQ(results.size(), 4u) << json.out;
    EXPECT_EQ(results[0].at("result"), "Processed");
    EXPECT_EQ(results[0].at("own"), "false");
    EXPECT_EQ(results[0].at("user"), "Гость");
    EXPECT_EQ(results[0].at("text"), "Здравствуйте");
    EXPECT_EQ(results[0].at("client"), kOtherGuid);
    EXPECT_EQ(results[0].at("time"), "2024-01-31T13:05:07.042Z");
    EXPECT_EQ(results[0].at("notices"), "");
    EXPECT_EQ(results[1].at("own"), "true");
    EXPECT_EQ(results[2].at("result"), "Broken");
    EXPECT_EQ(results[2].count("user"), 0u);
    EXPECT_EQ(results[2].at("notices")->rfind(std::string(kBroken) + ": нарушена структура XML", 0), 0u);
    EXPECT_EQ(results[3].at("result"), "Retry");
    EXPECT_NE(results[3].at("notices")->find("Не удалось прочитать файл. Пока пропускаем."), std::string::npos);

    const CliResult text = RunCli({"check", files[0]});
    EXPECT_EQ(text.exitCode, 0);
    EXPECT_EQ(text.out, files[0] +
                            "\n  result:  Processed\n  kind:    Other\n  format:  binary\n"
                            "  time:    2024-01-31T13:05:07.042Z\n  user:    Гость\n"
                            "  client:  {AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE}\n  text:    Здравствуйте\n");
}

}  // namespace
TEST_F(SendReadTest, SendFileCopiesItAndReadTellsNameSizePathAndArrival) {
    const std::string source = home / "отчёт за май.pdf";
    std::string bytes(70000, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i % 253);
    testsupport::WriteRaw(source, bytes);
    struct Case {
        bool xml;
        std::vector<std::string> text;  // after the chat
        std::string stdinText;
        std::string comment;
    } cases[] = {{false, {}, "", ""}, {true, {"смотри", "внимательно"}, "", "смотри внимательно"},
                 {false, {"-"}, "из\nпотока\n", "из\r\nпотока"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.comment);
        RemoveMessageFiles();
        std::filesystem::remove_all(chat / "Файлы");
        std::vector<std::string> args{"send", "--file", source};
        if (c.xml) args.push_back("--xml");
        args.push_back(chatFile);
        args.insert(args.end(), c.text.begin(), c.text.end());
        const CliResult sent = RunCli(args, c.stdinText);
        ASSERT_EQ(sent.exitCode, 0) << sent.err;
        const std::vector<std::string> copies = testsupport::FolderNames(chat / "Файлы");
        ASSERT_EQ(copies.size(), 1u);
        const std::string copy = chat / ("Файлы/" + copies[0]);
        EXPECT_EQ(testsupport::ReadRaw(copy), bytes);

        auto messages = ParseJsonLines(RunCli({"read", "--json", chatFile}).out);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].at("attachment.name"), "отчёт за май.pdf");
        EXPECT_EQ(messages[0].at("attachment.size"), "70000");
        EXPECT_EQ(messages[0].at("attachment.path"), copy);
        EXPECT_EQ(messages[0].at("attachment.arrived"), "true");
        const std::string text = *messages[0].at("text");
        EXPECT_EQ(text.substr(0, text.find("\r\n")), "Файл: отчёт за май.pdf (70\u00A0000 байт)") << "plain text for any client";
        EXPECT_EQ(text.substr(text.size() - c.comment.size()), c.comment);
        const std::string shown = RunCli({"read", chatFile}).out;
        EXPECT_NE(shown.find("\nФайл: отчёт за май.pdf (68 КБ)\n  " + copy + "\n"), std::string::npos) << shown;
    }
    // Not here yet: the copy is missing, or not whole.
    const std::string copy = chat / ("Файлы/" + testsupport::FolderNames(chat / "Файлы")[0]);
    testsupport::WriteRaw(copy, "half");
    EXPECT_EQ(ParseJsonLines(RunCli({"read", "--json", chatFile}).out)[0].at("attachment.arrived"), "false");
    EXPECT_NE(RunCli({"read", chatFile}).out.find(copy + "  (ещё не пришёл)\n"), std::string::npos);
    // Other messages carry no attachment.
    ASSERT_EQ(RunCli({"send", chatFile, "Файл: просто слово"}).exitCode, 0);
    EXPECT_EQ(ParseJsonLines(RunCli({"read", "--json", chatFile}).out)[1].count("attachment.name"), 0u);
}

TEST_F(SendReadTest, AFileThatCannotBeSentLeavesNothingBehind) {
    std::filesystem::create_directories(home / "папка");
    struct Case {
        std::string file;
        std::string error;
    } cases[] = {{home / "папка", ": Is a directory"}, {home / "нет такого", ": No such file or directory"}};
    for (const Case& c : cases) {
        const CliResult sent = RunCli({"send", "--file", c.file, chatFile});
        EXPECT_EQ(sent.exitCode, 1);
        EXPECT_EQ(sent.err, "quillet-cli send: cannot send " + c.file + c.error + "\n");
        EXPECT_EQ(FolderNames(), std::vector<std::string>{"Беседа.ZPMFChat"}) << "no message";
    }
    EXPECT_EQ(RunCli({"send", "--file"}).exitCode, 2) << "--file needs its path";
}

}  // namespace clitest
