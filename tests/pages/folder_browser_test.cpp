// The folder browser on real folders of the Wine prefix: the tree opened
// along the caller's path, lazy listing, item paths and the OK checks.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string.h>

#include <string>
#include <vector>

#include "core/text/dbcs.h"
#include "common/setup_state.h"
#include "core/text/text_split.h"
#include "install/destination_folder.h"
#include "pages/folder_tree.h"
#include "pages/pages.h"
#include "resources/resource.h"
#include "tests/pages/page_host.h"

namespace {

const char kCatalog[] =
    "[TITLE]\r\nDIRECTRY=Choose a folder\r\n"
    "[static]\r\nFOLDER_01=Pick one\\nor type it\r\n"
    "[LABEL]\r\nPATH=Folders\r\nFOLDER=Folder\r\n"
    "[button]\r\nOK=Accept\r\nCANCEL=Leave\r\n"
    "[MessageBox]\r\nINPUT_ERROR=bad folder\r\nTITLE_ERROR=Setup error\r\n";

std::string WithSeparator(const std::string &path)
{
    return path + "\\";
}

// A letter with no drive behind it.
char MissingDriveLetter()
{
    for (char letter = 'Y'; letter > 'C'; letter--) {
        char root[4] = {letter, ':', '\\', '\0'};
        if (GetDriveTypeA(root) == DRIVE_NO_ROOT_DIR)
            return letter;
    }
    return '\0';
}

class FolderBrowser : public testing::Test {
protected:
    void SetUp() override
    {
        host_.WriteCatalog(kCatalog);
        root_ = disk_.path();
        MakeFolders(root_ + "\\Apps\\Tool");
        MakeFolders(root_ + "\\Apps\\Other");
        MakeFolders(root_ + "\\Empty");
        WriteFileBytes(root_ + "\\Apps\\readme.txt", "not a folder");
        memset(destination_, '#', sizeof(destination_));
    }
    void TearDown() override
    {
        if (dialog_ != NULL)
            DestroyWindow(dialog_);
    }

    void Open(const std::string &path)
    {
        CopyText(destination_, PATH_SIZE, path.c_str());
        dialog_ = CreateDialogParamA(g_instance,
                                     MAKEINTRESOURCEA(IDD_FOLDER_BROWSER),
                                     host_.frame(), FolderBrowserProc,
                                     (LPARAM)destination_);
        ASSERT_NE((HWND)NULL, dialog_);
        tree_ = GetDlgItem(dialog_, IDC_BROWSER_TREE);
    }

    std::string PathOf(HTREEITEM item)
    {
        char path[PATH_SIZE];
        if (!GetTreeItemPath(tree_, item, path, sizeof(path)))
            return "<too long>";
        return path;
    }

    std::string SelectedPath()
    {
        HTREEITEM item = TreeView_GetSelection(tree_);
        return item == NULL ? "<none>" : PathOf(item);
    }

    HTREEITEM FindChild(HTREEITEM parent, const char *name)
    {
        HTREEITEM item = parent == NULL ? TreeView_GetRoot(tree_)
                                        : TreeView_GetChild(tree_, parent);
        for (; item != NULL; item = TreeView_GetNextSibling(tree_, item)) {
            char text[PATH_SIZE];
            TVITEMA get;
            ZeroMemory(&get, sizeof(get));
            get.mask = TVIF_TEXT;
            get.hItem = item;
            get.pszText = text;
            get.cchTextMax = sizeof(text);
            SendMessageA(tree_, TVM_GETITEMA, 0, (LPARAM)&get);
            if (lstrcmpiA(text, name) == 0)
                return item;
        }
        return NULL;
    }

    // The item of a folder below the scratch root, walked from the drive.
    HTREEITEM ItemOf(const std::string &path)
    {
        HTREEITEM item = NULL;
        const char *cursor = path.c_str();
        char component[PATH_SIZE];
        while (NextToken(&cursor, "\\", component, sizeof(component))) {
            item = FindChild(item, component);
            if (item == NULL)
                return NULL;
        }
        return item;
    }

    std::vector<std::string> ChildNames(HTREEITEM parent)
    {
        std::vector<std::string> names;
        for (HTREEITEM item = TreeView_GetChild(tree_, parent); item != NULL;
             item = TreeView_GetNextSibling(tree_, item)) {
            char text[PATH_SIZE];
            TVITEMA get;
            ZeroMemory(&get, sizeof(get));
            get.mask = TVIF_TEXT;
            get.hItem = item;
            get.pszText = text;
            get.cchTextMax = sizeof(text);
            SendMessageA(tree_, TVM_GETITEMA, 0, (LPARAM)&get);
            names.push_back(text);
        }
        return names;
    }

    int ChildCount(HTREEITEM item)
    {
        TVITEMA get;
        ZeroMemory(&get, sizeof(get));
        get.mask = TVIF_CHILDREN;
        get.hItem = item;
        SendMessageA(tree_, TVM_GETITEMA, 0, (LPARAM)&get);
        return get.cChildren;
    }

    // OK with the text typed into the edit box: the boxes it showed.
    std::vector<SeenMessageBox> PressOk(const std::string &typed)
    {
        SetDlgItemTextA(dialog_, IDC_BROWSER_FOLDER, typed.c_str());
        MessageBoxAnswerer answerer;
        SendMessageA(dialog_, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        return answerer.seen();
    }

    RegistrySandbox registry_;
    PageHost host_;
    ScratchDir disk_;
    std::string root_;
    char destination_[PATH_SIZE + 16];
    HWND dialog_ = NULL;
    HWND tree_ = NULL;
};

TEST_F(FolderBrowser, CatalogTextsAndTheCallersPath)
{
    std::string start = root_ + "\\Apps\\Tool";
    Open(start);
    EXPECT_EQ("Choose a folder", WindowText(dialog_));
    EXPECT_EQ("Pick one \nor type it",
              ItemText(dialog_, IDC_BROWSER_EXPLANATION));
    EXPECT_EQ("Folders", ItemText(dialog_, IDC_BROWSER_TREE_LABEL));
    EXPECT_EQ("Folder", ItemText(dialog_, IDC_BROWSER_FOLDER_LABEL));
    EXPECT_EQ("Accept", ItemText(dialog_, IDOK));
    EXPECT_EQ("Leave", ItemText(dialog_, IDCANCEL));
    EXPECT_EQ(start, ItemText(dialog_, IDC_BROWSER_FOLDER));
}

TEST_F(FolderBrowser, DrivesAreTheFixedOnesWithFourImages)
{
    Open("");
    EXPECT_NE((HTREEITEM)NULL, FindChild(NULL, "C:"));
    int fixed = 0;
    for (char letter = 'A'; letter <= 'Z'; letter++) {
        char root[4] = {letter, ':', '\\', '\0'};
        if (GetDriveTypeA(root) == DRIVE_FIXED)
            fixed++;
    }
    EXPECT_EQ(fixed, (int)TreeView_GetCount(tree_));
    HIMAGELIST images = TreeView_GetImageList(tree_, TVSIL_NORMAL);
    ASSERT_NE((HIMAGELIST)NULL, images);
    EXPECT_EQ(4, ImageList_GetImageCount(images));
}

TEST_F(FolderBrowser, OpensAlongThePathAndSelectsTheLastFolderThere)
{
    Open(root_ + "\\Apps\\Missing");
    EXPECT_EQ(WithSeparator(root_ + "\\Apps"), SelectedPath());
    // The caller's text stays, not the selected item's path.
    EXPECT_EQ(root_ + "\\Apps\\Missing", ItemText(dialog_, IDC_BROWSER_FOLDER));
    HTREEITEM apps = ItemOf(root_ + "\\Apps");
    ASSERT_NE((HTREEITEM)NULL, apps);
    EXPECT_EQ((std::vector<std::string>{"Other", "Tool"}), ChildNames(apps));
}

TEST_F(FolderBrowser, FolderWithoutSubfoldersLosesItsButton)
{
    Open(root_ + "\\Empty\\Sub");
    // Empty was matched and found empty: its parent is selected.
    EXPECT_EQ(WithSeparator(root_), SelectedPath());
    HTREEITEM empty = ItemOf(root_ + "\\Empty");
    ASSERT_NE((HTREEITEM)NULL, empty);
    EXPECT_EQ(0, ChildCount(empty));
}

TEST_F(FolderBrowser, ComponentsMatchWithoutRegardToCase)
{
    std::string lower = root_;
    CharLowerA(&lower[0]);
    Open(lower + "\\apps\\tool");
    EXPECT_EQ(WithSeparator(root_ + "\\Apps\\Tool"), SelectedPath());
}

TEST_F(FolderBrowser, PathOnNoListedDriveSelectsNothing)
{
    Open("\\\\server\\share\\Tool");
    EXPECT_EQ("<none>", SelectedPath());
    EXPECT_EQ("\\\\server\\share\\Tool", ItemText(dialog_, IDC_BROWSER_FOLDER));
    EXPECT_EQ(1u, PressOk("\\\\server\\share\\Tool").size());
}

TEST_F(FolderBrowser, SelectingAnItemShowsItsPathWithABackslash)
{
    Open(root_ + "\\Apps\\Missing");
    HTREEITEM tool = ItemOf(root_ + "\\Apps\\Tool");
    ASSERT_NE((HTREEITEM)NULL, tool);
    TreeView_SelectItem(tree_, tool);
    std::string shown = root_ + "\\Apps\\Tool\\";
    EXPECT_EQ(shown, ItemText(dialog_, IDC_BROWSER_FOLDER));
    EXPECT_TRUE(PressOk(shown).empty());
    EXPECT_EQ(shown, destination_);

    TreeView_SelectItem(tree_, FindChild(NULL, "C:"));
    EXPECT_EQ("C:\\", ItemText(dialog_, IDC_BROWSER_FOLDER));
}

TEST_F(FolderBrowser, SecondExpansionDoesNotReadTheDisk)
{
    Open(root_ + "\\Apps\\Missing");
    HTREEITEM apps = ItemOf(root_ + "\\Apps");
    ASSERT_NE((HTREEITEM)NULL, apps);
    MakeFolders(root_ + "\\Apps\\Later");
    TreeView_Expand(tree_, apps, TVE_COLLAPSE);
    TreeView_Expand(tree_, apps, TVE_EXPAND);
    EXPECT_EQ((std::vector<std::string>{"Other", "Tool"}), ChildNames(apps));
    EXPECT_EQ(0, AddSubfolders(tree_, apps, (root_ + "\\Apps").c_str()));
}

TEST_F(FolderBrowser, UnlistableFolderKeepsItsButton)
{
    Open("");
    HTREEITEM drive = FindChild(NULL, "C:");
    ASSERT_NE((HTREEITEM)NULL, drive);
    TVINSERTSTRUCTA insert;
    ZeroMemory(&insert, sizeof(insert));
    insert.hParent = drive;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_CHILDREN;
    insert.item.pszText = const_cast<char *>("NoSuchFolderHere");
    insert.item.cChildren = 1;
    HTREEITEM missing =
        (HTREEITEM)SendMessageA(tree_, TVM_INSERTITEMA, 0, (LPARAM)&insert);
    EXPECT_EQ(0, AddSubfolders(tree_, missing, "C:\\NoSuchFolderHere"));
    EXPECT_EQ(1, ChildCount(missing));
}

TEST_F(FolderBrowser, OkRefusesWhatIsNoFolderOnAFixedDrive)
{
    Open(root_);
    char missing = MissingDriveLetter();
    ASSERT_NE('\0', missing);
    std::vector<std::string> refused = {
        "", "C:", "C:Tool", "C", std::string(1, missing) + ":\\Tool",
        "C:\\a*b", "C:\\a?b", "C:\\a|b", "C:\\a\"b", "C:\\a<b>", "C:\\a:b",
        "C:\\a/b", "1:\\x", "C:\\" + std::string(300, 'x')};
    for (const std::string &typed : refused) {
        SCOPED_TRACE(typed);
        std::vector<SeenMessageBox> boxes = PressOk(typed);
        ASSERT_EQ(1u, boxes.size());
        EXPECT_EQ("Setup error", boxes[0].caption);
        EXPECT_EQ("bad folder", boxes[0].text);
        EXPECT_EQ(root_, destination_);
        EXPECT_EQ(typed, ItemText(dialog_, IDC_BROWSER_FOLDER));
    }
}

TEST_F(FolderBrowser, OkAcceptsRootsLowerCaseAndMissingFolders)
{
    const char *accepted[] = {"C:\\", "c:\\lower\\case", "C:\\Not\\There\\Yet",
                              "C:\\with space\\and.dot"};
    for (const char *typed : accepted) {
        SCOPED_TRACE(typed);
        Open(root_);
        EXPECT_TRUE(PressOk(typed).empty());
        EXPECT_STREQ(typed, destination_);
        EXPECT_EQ('#', destination_[PATH_SIZE]);
        DestroyWindow(dialog_);
        dialog_ = NULL;
    }
}

TEST_F(FolderBrowser, LongestAcceptedTextFitsThePathBuffer)
{
    Open(root_);
    std::string longest = "C:\\" + std::string(PATH_SIZE - 4, 'x');
    EXPECT_TRUE(PressOk(longest).empty());
    EXPECT_EQ(longest, destination_);
    EXPECT_EQ('#', destination_[PATH_SIZE]);
    Open(root_);
    EXPECT_EQ(1u, PressOk(longest + "x").size());
}

TEST_F(FolderBrowser, CancelLeavesTheCallersPath)
{
    Open(root_);
    SetDlgItemTextA(dialog_, IDC_BROWSER_FOLDER, "C:\\Other");
    SendMessageA(dialog_, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_EQ(root_, destination_);
}

TEST_F(FolderBrowser, WithoutResultBufferOkWritesNothing)
{
    dialog_ = CreateDialogParamA(g_instance, MAKEINTRESOURCEA(IDD_FOLDER_BROWSER),
                                 host_.frame(), FolderBrowserProc, 0);
    ASSERT_NE((HWND)NULL, dialog_);
    MessageBoxAnswerer answerer;
    SetDlgItemTextA(dialog_, IDC_BROWSER_FOLDER, "C:\\Tool");
    SendMessageA(dialog_, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_TRUE(answerer.seen().empty());
}

// A tree filled by hand far deeper than a path buffer holds.
TEST_F(FolderBrowser, DeepItemPathIsRefusedNotCut)
{
    Open("");
    HTREEITEM item = FindChild(NULL, "C:");
    std::string expected = "C:\\";
    std::string component(20, 'd');
    for (int depth = 0; depth < 20; depth++) {
        TVINSERTSTRUCTA insert;
        ZeroMemory(&insert, sizeof(insert));
        insert.hParent = item;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT;
        insert.item.pszText = &component[0];
        item = (HTREEITEM)SendMessageA(tree_, TVM_INSERTITEMA, 0, (LPARAM)&insert);
        expected += component + "\\";
        char path[PATH_SIZE + 16];
        memset(path, '#', sizeof(path));
        int fits = GetTreeItemPath(tree_, item, path, PATH_SIZE);
        EXPECT_EQ('#', path[PATH_SIZE]);
        if (expected.size() <= PATH_SIZE - 1) {
            EXPECT_EQ(1, fits);
            EXPECT_EQ(expected, path);
        } else {
            EXPECT_EQ(0, fits);
            EXPECT_STREQ("", path);
        }
    }
    // Selecting and expanding the deepest item stays within bounds.
    TreeView_SelectItem(tree_, item);
    EXPECT_EQ("", ItemText(dialog_, IDC_BROWSER_FOLDER));
    TreeView_Expand(tree_, item, TVE_EXPAND);
}

TEST_F(FolderBrowser, OverlongStartingPathIsHandled)
{
    std::string path = "C:";
    for (int i = 0; i < 40; i++)
        path += "\\component" + std::to_string(i);
    Open(path.substr(0, PATH_SIZE - 1));
    EXPECT_EQ("C:\\", SelectedPath());
}

class ShiftJisFolders : public FolderBrowser {
protected:
    void SetUp() override
    {
        if (GetACP() != 932)
            GTEST_SKIP() << "needs the Shift-JIS code page, have " << GetACP();
        FolderBrowser::SetUp();
    }
};

// 表 and ソ end in the byte 0x5C; ポ ends in 0x7C, the vertical bar.
const char kHyo[] = "\x95\x5c";
const char kSo[] = "\x83\x5c";
const char kPo[] = "\x83\x7c";

TEST_F(ShiftJisFolders, ExpansionSplitsByCharacter)
{
    std::string hyo = root_ + "\\" + kHyo;
    MakeFolders(hyo + "\\" + kSo + "\\Deep");
    MakeFolders(hyo + "\\" + kPo);
    Open(hyo + "\\" + kSo + "\\Missing");
    EXPECT_EQ(WithSeparator(hyo + "\\" + kSo), SelectedPath())
        << "the trail byte of a character was taken for a separator";
    HTREEITEM hyoItem = ItemOf(hyo);
    ASSERT_NE((HTREEITEM)NULL, hyoItem);
    EXPECT_EQ(2u, ChildNames(hyoItem).size());
}

TEST_F(ShiftJisFolders, OkAcceptsCharactersWithSeparatorLikeBytes)
{
    Open(root_);
    std::string typed = std::string("C:\\") + kHyo + "\\" + kPo + kSo;
    EXPECT_TRUE(PressOk(typed).empty());
    EXPECT_EQ(typed, destination_);
}

}  // namespace
