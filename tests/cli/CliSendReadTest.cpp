// send, read and check through the real quillet-cli over real chat folders.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <regex>

#include "CliFixture.h"
#include "outside/SettingsStore.h"
#include "outside/Support.h"
#include "outside/Utf.h"

namespace clitest {
namespace {

constexpr const char* kOtherGuid = "{AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE}";
constexpr const char* kBroken = "Не удалось обработать полученное сообщение";
const std::string kFffd = "\xEF\xBF\xBD";

std::string StoredGuid() { return outside::SettingsStore().ReadString("", "My GUID", ""); }

using SendReadTest = CliTest;

TEST_F(SendReadTest, SendThenReadRoundTripsBothFormatsWithTheNameAndTheClientGuid) {
    struct Case {
        bool xml;
        bool viaStdin;
        std::string text;
        std::string expected;
        const char* storedName;
        std::optional<std::string> nameOption;
        const char* user;
    };
    const std::string markup = "a <b> & c \"d\" 'e' &amp; ]]>";
    // A byte-order mark on standard input is dropped. (XML gives any break back as CR LF.)
    const std::string breaks = "\xEF\xBB\xBF\none\ntwo\r\nthree\rfour\n\n";
    const Case cases[] = {
        {true, false, "Привет, мир", "Привет, мир", "Аня", "Бот <1>", "Бот <1>"},
        {false, true, markup + "\n", markup, "  ", std::nullopt, "Анонимус"},
        {true, true, markup + "\n", markup, "Аня", " \r\n ", "Анонимус"},
        {false, true, breaks, "one\r\ntwo\r\nthree\r\nfour", "Аня", std::nullopt, "Аня"},
    };
    const std::regex name(R"((\d{4})-(\d\d)-(\d\d) (\d\d)-(\d\d)-(\d\d)-(\d{3}) \{[0-9A-F-]{36}\}\.Z[PX]MF)");
    ASSERT_EQ(StoredGuid(), "");
    std::string guid;  // made on first use, then kept
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected + (c.xml ? ", XML" : ", binary"));
        RemoveMessageFiles();
        outside::SettingsStore().WriteString("Nicks", chatFile, c.storedName);
        std::vector<std::string> args{"send"};
        if (c.xml) args.push_back("--xml");
        if (c.nameOption) args.insert(args.end(), {"--name", *c.nameOption});
        args.push_back(c.xml ? chat.path() : chatFile);  // a chat folder or its chat file
        args.push_back(c.viaStdin ? "-" : c.text);
        const CliResult sent = RunCli(args, c.viaStdin ? c.text : "");
        ASSERT_EQ(sent.exitCode, 0) << sent.err;
        EXPECT_EQ(sent.err, "");
        const std::string path = sent.out.substr(0, sent.out.find('\n'));
        EXPECT_EQ(outside::esGetFilePath(path), chat.path());
        const std::string fileName = outside::esGetFileName(path);
        ASSERT_TRUE(std::regex_match(fileName, name)) << fileName;
        if (guid.empty()) guid = StoredGuid();
        EXPECT_TRUE(std::regex_match(guid, std::regex(R"(\{[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}\})"))) << guid;
        EXPECT_EQ(StoredGuid(), guid);
        // The stamp of the name and the time inside are the same UTC instant.
        const std::string time = std::regex_replace(fileName, name, "$1-$2-$3T$4:$5:$6.$7Z");
        EXPECT_EQ(ReadJson(), (std::vector<JsonObject>{{{"time", time}, {"user", c.user}, {"text", c.expected},
                                                        {"client", guid}, {"own", "true"},
                                                        {"format", c.xml ? "xml" : "binary"}, {"file", fileName}}}));
    }
}

TEST_F(SendReadTest, ClientGuidIsReadAndMadeUnderTheLockEveryCommandTakes) {
    // While another command holds the lock and makes its GUID, a send waits
    // and then uses that GUID rather than making one of its own.
    const std::string folder = home / "config/greyfen-works";
    std::filesystem::create_directories(folder);
    const int lock = ::open((folder + "/quillet-cli.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_EQ(::flock(lock, LOCK_EX), 0);
    CliChild send({"send", chatFile, "после"});
    ::usleep(1000000);
    outside::SettingsStore().WriteString("", "My GUID", kOtherGuid);
    ::close(lock);
    EXPECT_EQ(send.Finish().exitCode, 0);
    const auto messages = ReadJson();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].at("client"), kOtherGuid);
}

// read and check: the pane, broken files reported, and the folder left as it was.
TEST_F(SendReadTest, ReadAndCheckShowThePaneReportBrokenFilesAndLeaveTheFolderAsItWas) {
    outside::SettingsStore().WriteString("", "My GUID", "{1111AAAA-2222-3333-4444-5555BBBBCCCC}");
    outside::SettingsStore().WriteString("Nicks", chatFile, "Аня");
    const std::string mine = chat / Send("Моё\nсообщение");
    Send("по-XML", {"--xml"});
    const std::string other = PutCorpusFile("b03-other.ZPMF");
    for (const char* corpus : {"t02-utf8.ZTMF", "x01-utc.ZXMF"}) PutCorpusFile(corpus);
    const std::string broken[] = {PutCorpusFile("b02-eight-fields.ZPMF"), PutCorpusFile("x06-missing-text.ZXMF"),
                                  PutCorpusFile("x09-malformed.ZXMF")};
    PutFile("young.ZPMF", "still arriving", 0);
    const std::string before = Snapshot();
    ::sync();

    const CliResult read = RunCli({"read", chatFile});
    EXPECT_EQ(read.exitCode, 0);
    const std::string stamp = R"(  \(\d{1,2}:\d\d:\d\d - \d\d\.\d\d\.\d{4}\)\n)";
    const std::regex pane("\\* Аня" + stamp + "Моё\nсообщение\n\n\\* Аня" + stamp + "по-XML\n\nГость" + stamp +
                          "Здравствуйте\n\nТекстовый Анонимус" + stamp + "Hello\nмир\n\nВова" + stamp + "Привет\n");
    EXPECT_TRUE(std::regex_match(read.out, pane)) << read.out;
    std::string expected;
    for (const std::string& path : broken) expected += "quillet-cli: " + path + ": broken message file, left out\n";
    EXPECT_EQ(read.err, expected) << "one line a broken file, nothing on the young one";

    // --verbose adds Quillet's own notices: why a file is broken, why one waits (each wait: DispatchTest).
    const std::string verbose = RunCli({"read", "--verbose", chatFile}).err;
    for (const std::string& notice :
         {std::string(kBroken) + ": нарушена структура XML, доступны не все элементы.\nОшибка ",
          "Файл не разобран, но он только что записан. Пока пропускаем.\n" + (chat / "young.ZPMF")})
        EXPECT_NE(verbose.find(notice), std::string::npos) << notice << "\n" << verbose;

    const CliResult json =
        RunCli({"check", "--json", other, mine, broken[1], chat / "young.ZPMF", chat / "missing.ZPMF"});
    EXPECT_EQ(json.exitCode, 4);
    const auto results = ParseJsonLines(json.out);
    ASSERT_EQ(results.size(), 5u) << json.out;
    EXPECT_EQ(results[0], (JsonObject{{"path", other}, {"file", "b03-other.ZPMF"}, {"result", "Processed"},
                                      {"time", "2024-01-31T13:05:07.042Z"}, {"user", "Гость"},
                                      {"text", "Здравствуйте"}, {"client", kOtherGuid}, {"own", "false"},
                                      {"format", "binary"}, {"notices", ""}}));
    EXPECT_EQ(results[1].at("own"), "true");
    EXPECT_EQ(results[2].at("result"), "Broken");
    EXPECT_EQ(results[2].count("user"), 0u);
    EXPECT_EQ(results[2].at("notices")->rfind(std::string(kBroken) + ": нарушена структура XML", 0), 0u);
    EXPECT_EQ(results[4].at("result"), "Retry");
    EXPECT_NE(results[4].at("notices")->find("Не удалось прочитать файл. Пока пропускаем."), std::string::npos);
    const CliResult text = RunCli({"check", other});
    EXPECT_EQ(text.exitCode, 0);
    EXPECT_EQ(text.out, other +
                            "\n  result:  Processed\n  kind:    Other\n  format:  binary\n"
                            "  time:    2024-01-31T13:05:07.042Z\n  user:    Гость\n"
                            "  client:  {AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE}\n  text:    Здравствуйте\n");

    EXPECT_EQ(Snapshot(), before);
    struct stat st {};
    EXPECT_NE(::stat((home / "state").c_str(), &st), 0) << "read keeps no state";
}

TEST_F(SendReadTest, OthersControlCharactersAndNamesThatAreNotUtf8StayHarmless) {
    const std::string raw = "\x1b[2J\x1b]0;title\x07ok\xc2\x9b" "31m\x7f\r\nend";
    PutFile("t-escape.ZTMF", raw);
    const std::string latin1 = PutFile("caf\xe9 \xff.ZTMF", "текст");
    const std::string replaced = "caf" + kFffd + " " + kFffd + ".ZTMF";
    const CliResult read = RunCli({"read", chatFile});
    ASSERT_EQ(read.exitCode, 0);
    EXPECT_NE(read.out.find(kFffd + "[2J" + kFffd + "]0;title" + kFffd + "ok" + kFffd + "31m" + kFffd + "\nend"),
              std::string::npos)
        << read.out;
    // JSON keeps the text exactly, escaped, and stays UTF-8 whatever the names.
    const CliResult json = RunCli({"read", "--json", chatFile});
    EXPECT_NE(json.out.find("\\u001b[2J"), std::string::npos) << json.out;
    const CliResult check = RunCli({"check", "--json", latin1});
    for (const std::string& out : {json.out, check.out}) EXPECT_TRUE(outside::IsValidUtf8(out)) << out;
    const auto messages = ParseJsonLines(json.out);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].at("file"), replaced);
    EXPECT_EQ(messages[1].at("text"), raw);
    EXPECT_EQ(messages[1].at("client"), std::nullopt);
    const auto checked = ParseJsonLines(check.out);
    ASSERT_EQ(checked.size(), 1u);
    EXPECT_EQ(checked[0].at("file"), replaced);
    EXPECT_EQ(checked[0].at("path"), chat / replaced);
}

TEST_F(SendReadTest, SinceAndOthersLeaveMessagesOut) {
    PutCorpusFile("b03-other.ZPMF");  // Гость, 2024-01-31 13:05:07.042 UTC
    Send("моё");
    // Another client's message of three minutes ago.
    const std::time_t then = std::time(nullptr) - 180;
    std::tm t{};
    ::gmtime_r(&then, &t);
    std::string record;
    for (const int field : {t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec, 0})
        record += std::to_string(field) + '\0';
    PutFile("earlier.ZPMF", record + "Гость" + '\0' + "раньше" + '\0' + kOtherGuid);
    const std::vector<std::pair<std::vector<std::string>, std::vector<std::string>>> cases = {
        {{"--others"}, {"Здравствуйте", "раньше"}},
        {{"--since", "2024-01-31T13:05:07.042Z"}, {"моё", "Здравствуйте", "раньше"}},
        {{"--since=2024-01-31T16:05:07.043+03:00"}, {"моё", "раньше"}},
        {{"--since", "2024-01-31 16:05:07.042+0300"}, {"моё", "Здравствуйте", "раньше"}},
        {{"--since", "2h"}, {"моё", "раньше"}},
        {{"--since", "5m"}, {"моё", "раньше"}},
        {{"--since", "2m"}, {"моё"}},
        {{"--since", "2024-02-01"}, {"моё", "раньше"}},
        {{"--since", "2024-01-30", "--others"}, {"Здравствуйте", "раньше"}},
    };
    for (auto [args, texts] : cases) {
        args.insert(args.begin(), {"read", "--json"});
        args.push_back(chatFile);
        const CliResult read = RunCli(args);
        EXPECT_EQ(Texts(read.out), texts) << args[2] << " " << args[args.size() - 2] << ": " << read.err;
    }
}

TEST_F(SendReadTest, RefusalsHaveTheirExitCodesAndWriteNothing) {
    testsupport::TempDir empty;
    testsupport::TempDir twoChats;
    testsupport::WriteRaw(twoChats / "a.ZPMFChat", "");
    testsupport::WriteRaw(twoChats / "b.zpmfchat", "");
    const std::string message = PutCorpusFile("b03-other.ZPMF");
    std::filesystem::create_directories(home / "папка");
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        std::string error;
        std::string input = {};
    };
    const Case cases[] = {
        {{}, 2, "no command given"},
        {{"frob"}, 2, "unknown command \"frob\""},
        {{"read"}, 2, "no chat given"},
        {{"read", chatFile, chatFile}, 2, "one chat at a time"},
        {{"read", "--xml", chatFile}, 2, "unknown option --xml"},
        {{"send", chatFile, "--name"}, 2, "--name needs a value"},
        {{"send", "--file"}, 2, "--file needs a value"},
        {{"follow", "--json=yes", chatFile}, 2, "--json takes no value"},
        {{"check"}, 2, "no file given"},
        {{"read", "--color=sometimes", chatFile}, 2, "--color takes auto, always or never"},
        {{"read", "--since", "yesterday", chatFile}, 2, "\"yesterday\" is not a time"},
        {{"read", "--since", "2024-02-30", chatFile}, 2, "\"2024-02-30\" is not a time"},
        {{"follow", chatFile, "--since"}, 2, "--since needs a value"},
        {{"send", chatFile, "-1"}, 2, "unknown option -1 (a text that begins with \"-\" goes after \"--\")"},
        {{"read", home / "missing"}, 3, "no such chat file or folder"},
        {{"read", empty.path()}, 3, "not a chat folder"},
        {{"follow", message}, 3, "not a chat file"},
        {{"read", twoChats.path()}, 3, "several chat files; name one of them:\n  a.ZPMFChat\n  b.zpmfchat"},
        // What a message cannot carry.
        {{"send", "--xml", chatFile}, 2, "control characters", std::string("a\0b", 3)},
        {{"send", chatFile}, 2, "control characters", "a\x1b[31mb"},
        {{"send", "--xml", chatFile}, 2, "not UTF-8", "\xff\xfe\x41"},
        {{"send", chatFile}, 2, "nothing to send", " \n \r\n "},
        {{"send", "--name", "a\x1b[2Jb", chatFile, "text"}, 2, "the name holds control characters"},
        {{"send", "--file", home / "папка", chatFile}, 1, "cannot send " + home / "папка" + ": Is a directory\n"},
        {{"send", "--file", home / "нет такого", chatFile}, 1,
         "cannot send " + home / "нет такого" + ": No such file or directory\n"},
        // Asked for help: usage on standard output, and nothing else.
        {{"--help"}, 0, "Usage: quillet-cli COMMAND"},
        {{"help", "send"}, 0, "Usage: quillet-cli send "},
        {{"follow", "-h"}, 0, "Usage: quillet-cli follow "},
        {{"--version"}, 0, "quillet-cli 1."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.empty() ? "(no arguments)" : c.args[0] + " " + c.error);
        const CliResult r = RunCli(c.args, c.input);
        EXPECT_EQ(r.exitCode, c.exitCode);
        // Errors say whose they are; help and the version begin with theirs.
        EXPECT_EQ((c.exitCode ? r.err : r.out).rfind(c.exitCode ? "quillet-cli" : c.error, 0), 0u) << r.err << r.out;
        EXPECT_NE((c.exitCode ? r.err : r.out).find(c.error), std::string::npos) << r.err;
        EXPECT_EQ(c.exitCode ? r.out : r.err, "");
    }
    EXPECT_EQ(FolderNames(), (std::vector<std::string>{"b03-other.ZPMF", "Беседа.ZPMFChat"})) << "nothing was sent";
    // Text after "--" is text, dash and all.
    ASSERT_EQ(RunCli({"send", chatFile, "--", "-1", "--json"}).exitCode, 0);
    EXPECT_EQ(Texts(RunCli({"read", "--json", chatFile}).out), (std::vector<std::string>{"-1 --json", "Здравствуйте"}));
}

// Failures say the system's reason, as Unix tools do. Root reads and writes
// anywhere a mode allows nothing: setpriv drops its two capabilities; a full
// disk, a small tmpfs filled, needs root.
TEST_F(SendReadTest, FailuresSayTheSystemsReason) {
    Send("текст");
    const std::string locked = home / "locked", readOnly = home / "read-only", full = home / "full";
    for (const std::string& folder : {locked, readOnly, full}) ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    const bool mounted = ::geteuid() == 0 && ::mount("tmpfs", full.c_str(), "tmpfs", 0, "size=64k") == 0;
    for (const auto& [folder, mode] : {std::pair{locked, 0300}, {readOnly, 0555}, {full, 0755}}) {  // 0300: unreadable
        testsupport::WriteRaw(folder + "/Чат.ZPMFChat", "");
        ASSERT_EQ(::chmod(folder.c_str(), mode), 0);
    }
    const std::string asUser = ::geteuid() == 0 ? "setpriv --bounding-set -dac_override,-dac_read_search -- " : "";
    const std::string cannotWrite = "quillet-cli send: cannot write " + readOnly + "/[^/]+\\.Z";
    std::vector<std::tuple<std::string, int, std::string>> cases = {
        {"\"$QCLI\" read " + Quoted(chatFile) + " >/dev/full", 1,
         "quillet-cli: standard output: No space left on device\n"},
        {"{ head -c 64000000 /dev/zero 2>/dev/null || echo the rest was refused >&2; } | \"$QCLI\" send " +
             Quoted(chatFile) + " -",
         2, "quillet-cli send: the message is too long: Quillet reads message files of up to 4 MiB\nthe rest was refused\n"},
        {asUser + "\"$QCLI\" read " + Quoted(locked), 3, "quillet-cli: " + locked + ": Permission denied\n"},
        {asUser + "\"$QCLI\" follow " + Quoted(locked + "/Чат.ZPMFChat"), 3,
         "quillet-cli: " + locked + ": Permission denied\n"},
        {asUser + "\"$QCLI\" send --name=Аня " + Quoted(readOnly) + " текст", 1,
         cannotWrite + "PMF: Permission denied\n"},
        {asUser + "\"$QCLI\" send --xml " + Quoted(readOnly) + " текст", 1, cannotWrite + "XMF: Permission denied\n"},
    };
    if (mounted && RunShell("cat /dev/zero >" + Quoted(full + "/filler")).exitCode != 0)
        cases.emplace_back("\"$QCLI\" send " + Quoted(full) + " текст", 1,
                           "quillet-cli send: cannot write " + full + "/[^/]+\\.ZPMF: No space left on device\n");
    for (const auto& [commandLine, exitCode, err] : cases) {
        const CliResult r = RunShell(commandLine);
        EXPECT_EQ(r.exitCode, exitCode) << commandLine;
        EXPECT_TRUE(std::regex_match(r.err, std::regex(err))) << commandLine << "\n" << r.err;
        EXPECT_EQ(r.out, "") << commandLine;
    }
    for (const std::string& folder : {locked, readOnly}) ::chmod(folder.c_str(), 0755);
    ::umount(full.c_str());
}

TEST_F(SendReadTest, ColoursAsAskedWithNoColorBeside) {
    Send("цвет");
    // script(1) gives the command a terminal.
    const std::string onTerminal = "script -qec '\"$QCLI\" read $OPTION \"$CHAT\"' /dev/null";
    const std::tuple<const char*, const char*, bool, bool> cases[] = {  // environment, option, terminal, coloured
        {"", "", false, false},          {"", "--color=always", false, true},
        {"NO_COLOR=1", "--color", false, true},  // asked for outranks NO_COLOR
        {"", "", true, true},            {"NO_COLOR=1", "", true, false},
        {"", "--color=never", true, false}, {"TERM=dumb", "--color=auto", true, false},
    };
    for (const auto& [environment, option, terminal, coloured] : cases) {
        const std::string line = "CHAT=" + Quoted(chatFile) + "; OPTION=" + option + "; export CHAT OPTION; " +
                                 environment + " " + (terminal ? onTerminal : "\"$QCLI\" read $OPTION \"$CHAT\"");
        const CliResult r = RunShell(line);
        EXPECT_NE(r.out.find("цвет"), std::string::npos) << line << "\n" << r.out << r.err;
        EXPECT_EQ(r.out.find("\x1b[") != std::string::npos, coloured) << line;
    }
}

TEST_F(SendReadTest, SendFileCopiesItAndReadTellsNameSizePathAndArrival) {
    const std::string source = home / "отчёт за май.pdf";
    const std::string bytes(70000, 'x');  // its bytes: FileSendingTest.TheCopyIsByteIdenticalAndTheMessageNamesIt
    testsupport::WriteRaw(source, bytes);
    // The arguments after the file, standard input, the comment the message carries.
    const std::tuple<std::vector<std::string>, std::string, std::string> cases[] = {
        {{chatFile}, "", ""}, {{"--xml", chatFile, "смотри", "внимательно"}, "", "смотри внимательно"},
        {{chatFile, "-"}, "из\nпотока\n", "из\r\nпотока"}};
    std::string copy;
    for (const auto& [words, input, comment] : cases) {
        SCOPED_TRACE(comment);
        RemoveMessageFiles();
        std::vector<std::string> args{"send", "--file", source};
        args.insert(args.end(), words.begin(), words.end());
        const CliResult sent = RunCli(args, input);
        ASSERT_EQ(sent.exitCode, 0) << sent.err;
        const std::vector<std::string> copies = testsupport::FolderNames(chat / "Файлы");
        ASSERT_EQ(copies.size(), 1u);
        copy = chat / ("Файлы/" + copies[0]);
        EXPECT_EQ(testsupport::ReadRaw(copy), bytes);

        const auto messages = ReadJson();
        ASSERT_EQ(messages.size(), 1u);
        const std::string text = messages[0].at("text").value_or("");
        EXPECT_EQ(text.substr(0, text.find("\r\n")), "Файл: отчёт за май.pdf (70\u00A0000 байт)") << "plain text for any client";
        EXPECT_EQ(text.substr(text.size() - comment.size()), comment);
        const JsonObject attachment(messages[0].lower_bound("attachment."), messages[0].upper_bound("attachment.~"));
        EXPECT_EQ(attachment, (JsonObject{{"attachment.name", "отчёт за май.pdf"}, {"attachment.size", "70000"},
                                          {"attachment.path", copy}, {"attachment.arrived", "true"}}));
        const std::string shown = RunCli({"read", chatFile}).out;
        EXPECT_NE(shown.find("\nФайл: отчёт за май.pdf (68 КБ)\n  " + copy + "\n"), std::string::npos) << shown;
    }
    // Not here yet: the copy is missing, or not whole.
    testsupport::WriteRaw(copy, "half");
    EXPECT_EQ(ReadJson()[0].at("attachment.arrived"), "false");
    EXPECT_NE(RunCli({"read", chatFile}).out.find(copy + "  (ещё не пришёл)\n"), std::string::npos);
}

}  // namespace
}  // namespace clitest
