// The resources of the built saver, read back byte by byte from the file.
#include <gtest/gtest.h>
#include <wchar.h>

#include "resource_reader.h"
#include "resources/resource.h"
#include "test_files.h"

#include <commctrl.h>

namespace {

// One block of the version resource (depth 0: the root).
struct VersionBlock {
    int depth;
    std::u16string key;
    WORD type;
    std::string value;
};

// The block at the reader's offset, within end, then its children, in file
// order; the reader ends after it.
bool ParseBlock(Reader& r, size_t end, int depth, std::vector<VersionBlock>* out)
{
    size_t start = r.offset;
    WORD length = r.Word(), valueLength = r.Word();
    VersionBlock b = {depth, u"", r.Word(), ""};
    size_t blockEnd = start + length;
    if (length < 6 || blockEnd > end) return false;
    b.key = r.String();
    if (r.offset > blockEnd) return false;
    r.AlignDword();
    size_t valueBytes = b.type == 1 ? valueLength * 2u : valueLength;
    if (r.offset + valueBytes > blockEnd) return false;
    b.value = r.bytes.substr(r.offset, valueBytes);
    r.offset += valueBytes;
    out->push_back(b);
    for (r.AlignDword(); r.offset < blockEnd; r.AlignDword())
        if (!ParseBlock(r, blockEnd, depth + 1, out)) return false;
    r.offset = blockEnd;
    return true;
}

class SaverResources : public ::testing::Test {
protected:
    HMODULE module = LoadLibraryExA(SaverPath().c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    void SetUp() override { ASSERT_TRUE(module != NULL); }
    ~SaverResources() override { FreeLibrary(module); }
    Reader Find(LPCSTR type, LPCSTR name) { return FindResourceBytes(module, type, name); }
    // Every block of the version resource in file order.
    bool Version(std::vector<VersionBlock>* blocks)
    {
        Reader r = Find(RT_VERSION, MAKEINTRESOURCEA(1));
        return ParseBlock(r, r.bytes.size(), 0, blocks);
    }
};

struct ExpectedControl {
    WORD id;
    const char16_t* cls;  // an ordinal as OrdinalOrString gives it
    DWORD style;          // beside WS_CHILD | WS_VISIBLE
    short rect[4];
    const char16_t* text;
};

const WORD noId = 0xFFFF;  // -1 in the template
const char16_t BUTTON[] = u"\xFFFF\x80", EDIT[] = u"\xFFFF\x81", STATIC[] = u"\xFFFF\x82";
const char16_t TRACKBAR[] = u"msctls_trackbar32";

const ExpectedControl expectedControls[] = {
    {IDOK, BUTTON, BS_DEFPUSHBUTTON | WS_TABSTOP, 138, 228, 50, 14, u"OK"},
    {IDCANCEL, BUTTON, BS_PUSHBUTTON | WS_TABSTOP, 194, 228, 50, 14, u"ｷｬﾝｾﾙ"},
    {noId, BUTTON, BS_GROUPBOX, 7, 7, 237, 49, u"velkarodinデスクトップアクセサリ本体(&A) (設定必須)"},
    {noId, STATIC, SS_LEFT | WS_GROUP, 18, 19, 134, 8, u"※使用するvelkarodin.exeを指定してください(&E)"},
    {IDC_EXEPATH, EDIT, ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 17, 32, 194, 14, u""},
    {IDC_EXEPATH_BROWSE, BUTTON, BS_PUSHBUTTON | WS_TABSTOP, 215, 32, 17, 14, u"..."},
    {noId, BUTTON, BS_GROUPBOX, 7, 61, 237, 159, u"スクリーンセーバーの設定(&V)"},
    {IDC_MODE_SIMPLE, BUTTON, BS_AUTORADIOBUTTON | WS_GROUP, 14, 75, 59, 10, u"シンプルモード(&S)"},
    {IDC_MODE_EXTERNAL, BUTTON, BS_AUTORADIOBUTTON, 14, 148, 73, 10, u"外部呼び出しモード(&X)"},
    {IDC_BGCOLOR_LABEL, STATIC, SS_RIGHT | WS_GROUP, 18, 92, 31, 8, u"背景色(&B)\u3000\uff1a"},
    {IDC_BGCOLOR_SWATCH, STATIC, SS_LEFT | SS_NOTIFY | SS_SUNKEN | WS_GROUP, 57, 89, 14, 14,
     u"\u3000"},
    {IDC_BGCOLOR_CHANGE, BUTTON, BS_PUSHBUTTON | WS_TABSTOP, 75, 90, 50, 13, u"背景色の変更(&C)"},
    {IDC_ALPHA_LABEL, STATIC, SS_RIGHT | WS_GROUP, 18, 109, 31, 8, u"透明度(&T)\u3000\uff1a"},
    {IDC_ALPHA_SLIDER, TRACKBAR, TBS_HORZ | TBS_BOTH | TBS_NOTICKS | WS_TABSTOP, 57, 106, 154, 15,
     u"Slider1"},
    {IDC_ALPHA_VALUE, STATIC, SS_LEFT | WS_GROUP, 215, 109, 22, 8, u"0%"},
    {IDC_PLAYLIST_LABEL, STATIC, SS_RIGHT | WS_GROUP, 18, 128, 31, 8, u"BGM(&M)\u3000\uff1a"},
    {IDC_PLAYLIST, EDIT, ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 57, 125, 154, 14, u""},
    {IDC_PLAYLIST_BROWSE, BUTTON, BS_PUSHBUTTON | WS_TABSTOP, 215, 125, 17, 14, u"..."},
    {IDC_PLAYLIST_NOTE, STATIC, SS_LEFT | WS_GROUP, 151, 141, 60, 8, u"↑空欄ならBGM無し"},
    {IDC_EXT_SCR_LABEL, STATIC, SS_RIGHT | WS_GROUP, 18, 164, 31, 8, u"SCR(&R)\u3000\uff1a"},
    {IDC_EXT_SCR_PATH, EDIT, ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 57, 160, 154, 14,
     u""},
    {IDC_EXT_SCR_BROWSE, BUTTON, BS_PUSHBUTTON | WS_TABSTOP, 215, 160, 17, 14, u"..."},
    {IDC_EXT_SCR_NOTE, STATIC, SS_LEFT | WS_GROUP, 18, 180, 218, 34,
     u"※ このモードは外部のスクリーンセーバーを呼び出すモードです。呼び出すスクリーンセーバーによってはOSの正常な動作に支障を及ぼす恐れがありますのでご注意ください。\n"
     u"※ DirectX/OpenGLを使用するスクリーンセーバーは非対応です。"},
    {IDC_ABOUT, STATIC, SS_LEFT | WS_GROUP, 7, 226, 129, 16,
     u"ああああああああああああ\nああああああああああああ"},
};

}  // namespace

TEST_F(SaverResources, DialogTemplateHeader)
{
    Reader t = Find(RT_DIALOG, MAKEINTRESOURCEA(IDD_CONFIG));
    ASSERT_FALSE(t.bytes.empty());
    ASSERT_EQ(0x80C808C0u, t.Dword()) << "style (0xFFFF0001: an extended template)";
    EXPECT_EQ(0u, t.Dword()) << "extended style";
    // Control count, x, y, width, height, menu, class.
    const short words[] = {24, 0, 0, 251, 249, 0, 0};
    for (int i = 0; i < 7; i++) EXPECT_EQ(words[i], (short)t.Word()) << "word " << i;
    EXPECT_TRUE(t.String() == u"velkarodinデスクトップアクセサリ用スクリーンセーバーランチャー");
    EXPECT_EQ(9, t.Word());
    EXPECT_TRUE(t.String() == u"ＭＳ Ｐゴシック");
}

TEST_F(SaverResources, DialogTemplateControls)
{
    Reader t = Find(RT_DIALOG, MAKEINTRESOURCEA(IDD_CONFIG));
    ASSERT_FALSE(t.bytes.empty());
    // Past the fixed header, its empty menu and class: title, font size, font.
    t.offset = 22;
    t.String();
    t.Word();
    t.String();
    for (const ExpectedControl& e : expectedControls) {
        SCOPED_TRACE(e.id);
        t.AlignDword();
        ASSERT_LT(t.offset, t.bytes.size());
        EXPECT_EQ(WS_CHILD | WS_VISIBLE | e.style, t.Dword());
        EXPECT_EQ(0u, t.Dword()) << "extended style";
        for (short v : e.rect) EXPECT_EQ(v, (short)t.Word());
        EXPECT_EQ(e.id, t.Word());
        // windres stores class names upper-cased; the system compares them
        // without case, so the slider is still a trackbar.
        EXPECT_EQ(0, _wcsicmp((const wchar_t*)e.cls, (const wchar_t*)t.OrdinalOrString().c_str()));
        EXPECT_TRUE(t.OrdinalOrString() == e.text);
        EXPECT_EQ(0, t.Word()) << "creation data";
    }
    EXPECT_LE(t.offset, t.bytes.size());
    EXPECT_GE(t.offset + 3, t.bytes.size()) << "bytes after the 24th control";
}

static BOOL CALLBACK CollectLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR list)
{
    ((std::vector<WORD>*)list)->push_back(language);
    return TRUE;
}

TEST_F(SaverResources, EveryResourceIsJapaneseOnly)
{
    const std::pair<LPCSTR, LPCSTR> resources[] = {
        {RT_DIALOG, MAKEINTRESOURCEA(IDD_CONFIG)},
        {RT_VERSION, MAKEINTRESOURCEA(1)},
        {RT_GROUP_ICON, MAKEINTRESOURCEA(IDI_APP)},
        {RT_STRING, MAKEINTRESOURCEA(IDS_LAUNCHER_CAPTION / 16 + 1)},
    };
    for (const auto& r : resources) {
        std::vector<WORD> languages;
        EnumResourceLanguagesA(module, r.first, r.second, CollectLanguage, (LONG_PTR)&languages);
        EXPECT_EQ(std::vector<WORD>{0x0411}, languages);
    }
}

TEST_F(SaverResources, VersionFixedPart)
{
    std::vector<VersionBlock> blocks;
    ASSERT_TRUE(Version(&blocks));
    EXPECT_TRUE(blocks[0].key == u"VS_VERSION_INFO");
    ASSERT_EQ(sizeof(VS_FIXEDFILEINFO), blocks[0].value.size());
    // Signature, structure version (not compared), file and product version
    // 2.10.205.0, flags mask, flags, OS, type, subtype, date.
    const DWORD expected[13] = {0xFEEF04BD, 0, 0x0002000A, 0x00CD0000, 0x0002000A, 0x00CD0000,
                                0x3F, 0, VOS_NT_WINDOWS32, VFT_APP, 0, 0, 0};
    Reader fixed{blocks[0].value};
    for (int i = 0; i < 13; i++) {
        DWORD d = fixed.Dword();
        EXPECT_EQ(expected[i], i == 1 ? 0 : d) << "DWORD " << i;
    }
}

TEST_F(SaverResources, VersionStringsInOrderAndTranslation)
{
    std::vector<VersionBlock> blocks;
    ASSERT_TRUE(Version(&blocks));
    // Every block below the root, in order, with the text of each string.
    const struct {
        int depth;
        const char16_t *key, *text;  // text: null for a block of blocks
    } expected[] = {
        {1, u"StringFileInfo", NULL},
        {2, u"041104b0", NULL},
        {3, u"Comments", u""}, {3, u"CompanyName", u"velkaro_ss_launcher project"},
        {3, u"FileDescription", u"velkaro_ss_launcher"}, {3, u"FileVersion", u"2, 10, 205, 0 "},
        {3, u"InternalName", u"velkaro_ss_launcher"},
        {3, u"LegalCopyright", u"Copyright (C) 2026 velkaro_ss_launcher project"},
        {3, u"LegalTrademarks", u""}, {3, u"OriginalFilename", u"velkaro_ss_launcher.scr"},
        {3, u"PrivateBuild", u""},
        {3, u"ProductName", u"velkarodinデスクトップアクセサリ用スクリーンセーバーランチャー"},
        {3, u"ProductVersion", u"Version 2.10 -- Build 205 "},
        {3, u"SpecialBuild", u""},
        {1, u"VarFileInfo", NULL},
        {2, u"Translation", NULL},
    };
    ASSERT_EQ(1 + sizeof expected / sizeof expected[0], blocks.size());
    for (size_t i = 1; i < blocks.size(); i++) {
        SCOPED_TRACE(i);
        EXPECT_EQ(expected[i - 1].depth, blocks[i].depth);
        EXPECT_TRUE(blocks[i].key == expected[i - 1].key);
        if (expected[i - 1].text) {
            EXPECT_EQ(1, blocks[i].type);
            EXPECT_TRUE(Reader{blocks[i].value}.String() == expected[i - 1].text);
        }
    }
    EXPECT_EQ(std::string("\x11\x04\xB0\x04", 4), blocks.back().value) << "0411, 04B0";
}

TEST_F(SaverResources, FileVersionTextThroughTheVersionLibrary)
{
    // The way the dialog reads it: through the ANSI functions on the file.
    std::string path = SaverPath();
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
    ASSERT_NE(0u, size);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, block.data()));
    char* text = NULL;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\StringFileInfo\\041104b0\\FileVersion",
                               (void**)&text, &length));
    EXPECT_STREQ("2, 10, 205, 0 ", text);
}

TEST_F(SaverResources, IconGroup102WithTwoSixteenColourImages)
{
    Reader r = Find(RT_GROUP_ICON, MAKEINTRESOURCEA(IDI_APP));
    ASSERT_GE(r.bytes.size(), 6u + 2 * 14u);
    std::vector<int> header = {r.Word(), r.Word(), r.Word()};
    ASSERT_EQ((std::vector<int>{0, 1, 2}), header) << "reserved, type, count";
    for (int size : {32, 16}) {
        SCOPED_TRACE(size);
        std::vector<int> entry = {r.Word(), r.Word() & 0xFF, r.Word(), r.Word()};
        EXPECT_EQ((std::vector<int>{size | size << 8, 16, 1, 4}), entry)
            << "width and height, colours, planes, bits";
        r.Dword();  // the image's size
        WORD id = r.Word();
        EXPECT_NE(IDI_CLASS, id);
        Reader image = Find(RT_ICON, MAKEINTRESOURCEA(id));
        ASSERT_FALSE(image.bytes.empty());
        HICON icon = CreateIconFromResourceEx((PBYTE)&image.bytes[0], image.bytes.size(), TRUE,
                                              0x00030000, size, size, 0);
        EXPECT_TRUE(icon);
        if (icon) DestroyIcon(icon);
    }
}

TEST_F(SaverResources, NoIconOrIconGroup100)
{
    EXPECT_FALSE(FindResourceA(module, MAKEINTRESOURCEA(IDI_CLASS), RT_GROUP_ICON));
    EXPECT_FALSE(FindResourceA(module, MAKEINTRESOURCEA(IDI_CLASS), RT_ICON));
}
