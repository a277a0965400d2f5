// Sending files through the real chat window, and opening them from its pane and the logs viewer's.
#include <windows.h>
#include <richedit.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "ChatWindowFixture.h"
#include "DropFiles.h"
#include "WindowTestSupport.h"
#include "app/chatwindow/ChatWindowLogic.h"
#include "app/exchange/FileMessage.h"
#include "app/exchange/MessageFiles.h"
#include "app/logsviewer/win32/frmLogsViewer.h"
#include "app/support/modCreateComplexDirectory.h"
#include "app/support/win32/AttachmentActions.h"
#include "outside/Folder.h"
#include "outside/Support.h"
#include "outside/win32/Handles.h"
#include "outside/win32/Wide.h"

using namespace exchange;

namespace {

constexpr wchar_t kTestType[] = L"QuilletTest.File";

// ".qltest" files, and ".wsb" (a type Windows counts as runnable, which the test prefix does not know), open
// with open_recorder.exe, which writes down each file it is given; gone again with the test.
class RecordingFileType {
public:
    explicit RecordingFileType(const std::string& record) : record_(record) {
        const std::string recorder =
            outside::esBuildFileName2(outside::esGetFilePath(outside::esGetModuleFileName()), "open_recorder.exe");
        const std::pair<std::wstring, std::wstring> keys[] = {
            {L".qltest", kTestType}, {L".wsb", kTestType},
            {std::wstring(kTestType) + L"\\shell\\open\\command",
             L"\"" + outside::W(recorder) + L"\" \"" + outside::W(record) + L"\" \"%1\""}};
        for (const auto& [key, value] : keys) {
            HKEY raw = nullptr;
            EXPECT_EQ(::RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &raw, nullptr),
                      ERROR_SUCCESS);
            outside::UniqueRegKey made(raw);
            ::RegSetValueExW(raw, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                             static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
        }
        ::SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
    }
    ~RecordingFileType() {
        for (const wchar_t* key : {L".qltest", L".wsb", kTestType}) ::RegDeleteTreeW(HKEY_CLASSES_ROOT, key);
    }
    RecordingFileType(const RecordingFileType&) = delete;
    RecordingFileType& operator=(const RecordingFileType&) = delete;
    // The files opened so far, one a line.
    std::string Opened() const { return outside::esIsFileExist(record_) ? testsupport::ReadRaw(record_) : ""; }

private:
    std::string record_;
};

// A shell drop of paths, as Explorer hands it over.
HGLOBAL DropOf(const std::vector<std::string>& paths) {
    std::vector<std::wstring> wide;
    for (const std::string& path : paths) wide.push_back(outside::W(path));
    return wintest::DropOfFiles(wide);
}

std::string Bytes(size_t size, int seed) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 31 + static_cast<size_t>(seed)) % 251);
    return bytes;
}

class SendingFilesTest : public wintest::ChatWindowFixture {
protected:
    SendingFilesTest() : ChatWindowFixture("С файлами.ZPMFChat") {}
    void SetUp() override {
        ChatWindowFixture::SetUp();
        modSettings::GroupLogsList = false;
        Open();
    }

    std::string Source(const std::string& name, const std::string& bytes) {
        const std::string path = sources / name;
        testsupport::WriteRaw(path, bytes);
        return path;
    }
    std::string FilesFolder() const { return chat / kFilesFolderName; }
    size_t Messages() const { return outside::ListPlainFiles(chat.path(), kBinaryExtension).size(); }
    // Where the pane shows text (UTF-16 position), -1 when it does not.
    static LONG Find(HWND pane, const std::string& text) {
        const size_t at = outside::W(modRTFSupport::PlainText(pane)).find(outside::W(text));
        return at == std::wstring::npos ? -1 : static_cast<LONG>(at);
    }
    static bool IsLink(HWND pane, LONG begin, LONG end) {
        CHARRANGE range{begin, end};
        ::SendMessageW(pane, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
        CHARFORMAT2W format{};
        format.cbSize = sizeof format;
        ::SendMessageW(pane, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
        return (format.dwMask & CFM_LINK) && (format.dwEffects & CFE_LINK);
    }
    // A click on the character at position.
    static void Click(HWND pane, LONG position) {
        POINTL at{};
        ::SendMessageW(pane, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&at), position);
        const LPARAM where = MAKELPARAM(at.x + 2, at.y + 4);
        ::SendMessageW(pane, WM_LBUTTONDOWN, MK_LBUTTON, where);
        ::SendMessageW(pane, WM_LBUTTONUP, 0, where);
    }
    // The copy of a sent file in the files folder, the only file of its name.
    std::string CopyOf(const std::string& name) const {
        std::vector<std::string> found;
        for (const std::string& copy : testsupport::FolderNames(FilesFolder()))
            if (copy.size() > name.size() && copy.compare(copy.size() - name.size(), name.size(), name) == 0)
                found.push_back(FilesFolder() + "\\" + copy);
        EXPECT_EQ(found.size(), 1u) << name;
        return found.empty() ? name : found[0];
    }
    // A message naming a file, written as another client would; the copy's name in the files folder.
    std::string Receive(const std::string& name, uint64_t size, int n) {
        const std::string stored =
            StoredFileName({2024, 2, 0, 2, 10, 0, 0, static_cast<uint16_t>(n)}, "0000aaa" + std::to_string(n), name);
        WriteBinaryMessage(chat / ("2024-02-02 10-00-00-00" + std::to_string(n) + " {" + std::to_string(n) + "}.ZPMF"),
                           BuildBinaryRecord({2024, 2, 0, 2, 10, 0, 0, 0}, "Гость",
                                             FileMessageText({{name, size, stored}, ""}), "{OTHER}"));
        return stored;
    }

    testsupport::TempDir sources;
    testsupport::TempDir records;
};

}  // namespace

TEST_F(SendingFilesTest, ADropAndAPasteSendOneMessagePerFileWithAByteIdenticalCopy) {
    // A message file inside the files folder is a file like any other there: never read, never hidden.
    const std::string inFiles = FilesFolder() + "\\2024-01-01 00-00-00-000 {F}.ZPMF";
    modCreateComplexDirectory::CreateComplexDirectory(FilesFolder(), true);
    WriteBinaryMessage(inFiles, BuildBinaryRecord({2024, 1, 0, 1, 0, 0, 0, 0}, "Гость", "из папки файлов", "{OTHER}"));
    EXPECT_TRUE(::GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_ACCEPTFILES) << "Explorer may drop files on it";
    struct Case {
        const char* how;
        bool sharedFolder;
    } cases[] = {{"drop", false}, {"paste", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        modSettings::SharedFolder = c.sharedFolder;
        const std::vector<std::pair<std::string, std::string>> files = {
            {std::string(c.how) + " первый 😀.bin", Bytes(1024 * 1024 + 3, 1)}, {std::string(c.how) + " второй.txt", "два"}};
        std::vector<std::string> paths;
        for (const auto& [name, bytes] : files) paths.push_back(Source(name, bytes));
        const size_t before = Messages();
        if (std::string(c.how) == "drop") {
            ::SendMessageW(hwnd, WM_DROPFILES, reinterpret_cast<WPARAM>(DropOf(paths)), 0);
        } else {
            ::SetWindowTextW(form->MessageInput(), L"черновик");
            ASSERT_TRUE(::OpenClipboard(hwnd));
            ::EmptyClipboard();
            ::SetClipboardData(CF_HDROP, DropOf(paths));
            ::CloseClipboard();
            // Ctrl+V as the box gets it: the key, then its character, which the box turns into a paste.
            ::SendMessageW(form->MessageInput(), WM_CHAR, 0x16, 1);
            EXPECT_EQ(::GetWindowTextLengthW(form->MessageInput()), 8) << "files are sent, not pasted as text";
        }
        EXPECT_EQ(Messages(), before + files.size());
        for (const auto& [name, bytes] : files) {
            ASSERT_TRUE(wintest::PumpUntil([&] { return Find(form->LogPane(), name) >= 0; })) << Pane();
            const LONG at = Find(form->LogPane(), name);
            EXPECT_TRUE(IsLink(form->LogPane(), at, at + static_cast<LONG>(outside::W(name).size())));
            EXPECT_FALSE(IsLink(form->LogPane(), at - 6, at)) << "\"Файл: \" before it is plain text";
            EXPECT_NE(Find(form->LogPane(), "Файл: " + name + " ("), -1);
            EXPECT_EQ(testsupport::ReadRaw(CopyOf(name)), bytes) << "the copy, byte for byte";
        }
    }
    EXPECT_FALSE(PaneHas("из папки файлов"));
    for (const std::string& name : testsupport::FolderNames(FilesFolder()))
        EXPECT_FALSE(outside::IsFileHidden(FilesFolder() + "\\" + name)) << name;
}

TEST_F(SendingFilesTest, AFileNotThereYetOrAProgramIsAskedAboutFirstAnyOtherOpensInThePaneAndTheLogsViewer) {
    RecordingFileType type(records / "opened.txt");
    Receive("ещё в пути.qltest", 10, 0);
    const std::string program = Receive("запусти меня.wsb", 16, 2);
    modCreateComplexDirectory::CreateComplexDirectory(FilesFolder(), true);
    testsupport::WriteRaw(AttachmentPath(chat.path(), program), "<Configuration/>");

    struct Case {
        const char* name;
        std::string box;           // the start of the box's text
        std::vector<int> buttons;  // the default first
        LPCWSTR icon;
        int answer;
    } cases[] = {
        // A copy not there yet (or not whole: FileSendingTest.WhetherTheCopyHasArrived).
        {"ещё в пути.qltest", support::NotArrivedText("ещё в пути.qltest"), {IDOK}, IDI_INFORMATION, IDOK},
        {"запусти меня.wsb", "«запусти меня.wsb» — программа или сценарий.", {IDNO, IDYES}, IDI_WARNING, IDNO},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(wintest::PumpUntil([&] { return Find(form->LogPane(), c.name) >= 0; })) << Pane();
        wintest::DialogScript boxes(
            {wintest::DialogScript::Expect(c.buttons, c.icon, wintest::DialogScript::Press(c.answer))});
        Click(form->LogPane(), Find(form->LogPane(), c.name) + 1);
        ASSERT_TRUE(wintest::PumpUntil([&] { return boxes.BoxesSeen() == 1; }));
        wintest::PumpFor(300);
        EXPECT_EQ(boxes.Texts().at(0).substr(0, c.box.size()), c.box);
    }
    wintest::PumpFor(500);
    EXPECT_EQ(type.Opened(), "") << "nothing was opened, the program not after a no";

    // A copy that is there opens with its program, from the pane and from the logs viewer's log.
    const std::string bytes = Bytes(300000, 7);
    ::SendMessageW(hwnd, WM_DROPFILES, reinterpret_cast<WPARAM>(DropOf({Source("отчёт за май.qltest", bytes)})), 0);
    ASSERT_TRUE(wintest::PumpUntil([&] { return Find(form->LogPane(), "отчёт за май.qltest") >= 0; })) << Pane();
    Click(form->LogPane(), Find(form->LogPane(), "отчёт за май.qltest") + 2);
    ASSERT_TRUE(wintest::PumpUntil([&] { return !type.Opened().empty(); })) << "the program was started";
    std::string opened = type.Opened();
    opened.pop_back();
    EXPECT_EQ(outside::esGetFileName(opened), outside::esGetFileName(CopyOf("отчёт за май.qltest")));
    EXPECT_EQ(testsupport::ReadRaw(opened), bytes) << "the program got the copy";

    // The same in the logs viewer, from the log.
    form->ToolbarClick(chatwindow::kLogs);
    logsviewer::frmLogsViewer* viewer = logsviewer::frmLogsViewer::Current();
    ASSERT_NE(viewer, nullptr);
    ::SendMessageW(viewer->FilesList(), LB_SETCURSEL, 0, 0);
    ::SendMessageW(viewer->Handle(), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(viewer->FilesList()), LBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(viewer->FilesList()));
    const LONG at = Find(viewer->LogPane(), "отчёт за май.qltest");
    ASSERT_GE(at, 0) << modRTFSupport::PlainText(viewer->LogPane());
    EXPECT_TRUE(IsLink(viewer->LogPane(), at, at + 19));
    Click(viewer->LogPane(), at + 2);
    ASSERT_TRUE(wintest::PumpUntil([&] { return type.Opened().size() > opened.size() + 1; }));
    EXPECT_EQ(type.Opened(), opened + "\n" + opened + "\n");
    viewer->Unload();
}
