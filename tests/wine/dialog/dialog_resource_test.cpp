// The resources of the built saver, read back byte by byte from the file:
// dialog template 2003, the version information and the icon group.
#include <gtest/gtest.h>
#include <wchar.h>

#include <string>
#include <vector>

#include "test_support.h"

#include <commctrl.h>

namespace {

const WORD japanese = MAKELANGID(0x11, 0x01);

struct VersionBlock;

struct Resource {
    const BYTE* data = NULL;
    DWORD size = 0;
};

class SaverResources : public ::testing::Test {
protected:
    void SetUp() override
    {
        module = LoadLibraryExA(SaverPath().c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_TRUE(module != NULL);
    }
    void TearDown() override
    {
        if (module) FreeLibrary(module);
    }
    Resource Find(LPCSTR type, LPCSTR name, WORD language)
    {
        Resource r;
        HRSRC found = FindResourceExA(module, type, name, language);
        if (!found) return r;
        r.data = (const BYTE*)LockResource(LoadResource(module, found));
        r.size = SizeofResource(module, found);
        return r;
    }
    bool Version(VersionBlock* root);
    HMODULE module = NULL;
};

// Reads a dialog template in order, with the template's own alignment.
struct TemplateReader {
    const BYTE* start;
    size_t offset = 0;
    size_t size;
    TemplateReader(const Resource& r) : start(r.data), size(r.size) {}
    WORD Word()
    {
        WORD w = 0;
        if (offset + 2 <= size) memcpy(&w, start + offset, 2);
        offset += 2;
        return w;
    }
    DWORD Dword()
    {
        DWORD lo = Word();
        return lo | ((DWORD)Word() << 16);
    }
    short Short() { return (short)Word(); }
    void AlignDword() { offset = (offset + 3) & ~(size_t)3; }
    std::u16string String()
    {
        std::u16string s;
        for (WORD w = Word(); w != 0 && offset <= size; w = Word()) s += (char16_t)w;
        return s;
    }
    // Ordinal (0xFFFF, n) or a string; none gives an empty string and 0.
    void OrdinalOrString(WORD* ordinal, std::u16string* text)
    {
        *ordinal = 0;
        text->clear();
        WORD first = Word();
        if (first == 0xFFFF) {
            *ordinal = Word();
        } else if (first != 0) {
            *text += (char16_t)first;
            *text += String();
        }
    }
};

struct ExpectedControl {
    WORD id;
    WORD classOrdinal;  // 0: the class is a name
    DWORD style;        // beside WS_CHILD | WS_VISIBLE
    short x, y, cx, cy;
    const char16_t* text;
};

const WORD BUTTON = 0x80, EDIT = 0x81, STATIC = 0x82, NAMED = 0;

const ExpectedControl expectedControls[] = {
    {1, BUTTON, BS_DEFPUSHBUTTON | WS_TABSTOP, 138, 228, 50, 14, u"OK"},
    {2, BUTTON, BS_PUSHBUTTON | WS_TABSTOP, 194, 228, 50, 14, u"ｷｬﾝｾﾙ"},
    {65535, BUTTON, BS_GROUPBOX, 7, 7, 237, 49, u"velkarodinデスクトップアクセサリ本体 (設定必須)"},
    {65535, STATIC, SS_LEFT | WS_GROUP, 18, 19, 134, 8, u"※使用するvelkarodin.exeを指定してください"},
    {1001, EDIT, ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 17, 32, 194, 14, u""},
    {1002, BUTTON, BS_PUSHBUTTON | WS_TABSTOP, 215, 32, 17, 14, u"..."},
    {65535, BUTTON, BS_GROUPBOX, 7, 61, 237, 159, u"スクリーンセーバーの設定"},
    {1008, BUTTON, BS_AUTORADIOBUTTON | WS_GROUP, 14, 75, 59, 10, u"シンプルモード"},
    {1009, BUTTON, BS_AUTORADIOBUTTON, 14, 148, 73, 10, u"外部呼び出しモード"},
    {1012, STATIC, SS_RIGHT | WS_GROUP, 18, 92, 31, 8, u"背景色\u3000\uff1a"},
    {1003, STATIC, SS_LEFT | SS_NOTIFY | SS_SUNKEN | WS_GROUP, 57, 89, 14, 14, u"\u3000"},
    {1004, BUTTON, BS_PUSHBUTTON | WS_TABSTOP, 75, 90, 50, 13, u"背景色の変更"},
    {1017, STATIC, SS_RIGHT | WS_GROUP, 18, 109, 31, 8, u"透明度\u3000\uff1a"},
    {1018, NAMED, TBS_HORZ | TBS_BOTH | TBS_NOTICKS | WS_TABSTOP, 57, 106, 154, 15, u"Slider1"},
    {1019, STATIC, SS_LEFT | WS_GROUP, 215, 109, 22, 8, u"0%"},
    {1013, STATIC, SS_RIGHT | WS_GROUP, 18, 128, 31, 8, u"BGM\u3000\uff1a"},
    {1005, EDIT, ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 57, 125, 154, 14, u""},
    {1006, BUTTON, BS_PUSHBUTTON | WS_TABSTOP, 215, 125, 17, 14, u"..."},
    {1014, STATIC, SS_LEFT | WS_GROUP, 151, 141, 60, 8, u"↑空欄ならBGM無し"},
    {1015, STATIC, SS_RIGHT | WS_GROUP, 18, 164, 31, 8, u"SCR\u3000\uff1a"},
    {1010, EDIT, ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 57, 160, 154, 14, u""},
    {1011, BUTTON, BS_PUSHBUTTON | WS_TABSTOP, 215, 160, 17, 14, u"..."},
    {1016, STATIC, SS_LEFT | WS_GROUP, 18, 180, 218, 34,
     u"※ このモードは外部のスクリーンセーバーを呼び出すモードです。呼び出すスクリーンセーバーによってはOSの正常な動作に支障を及ぼす恐れがありますのでご注意ください。\n"
     u"※ DirectX/OpenGLを使用するスクリーンセーバーは非対応です。"},
    {1007, STATIC, SS_LEFT | WS_GROUP, 7, 226, 129, 16,
     u"ああああああああああああ\nああああああああああああ"},
};

bool SameIgnoringAsciiCase(const std::u16string& a, const std::u16string& b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); i++) {
        char16_t x = a[i], y = b[i];
        if (x >= u'A' && x <= u'Z') x = x - u'A' + u'a';
        if (y >= u'A' && y <= u'Z') y = y - u'A' + u'a';
        if (x != y) return false;
    }
    return true;
}

}  // namespace

TEST_F(SaverResources, DialogTemplateHeader)
{
    Resource r = Find(RT_DIALOG, MAKEINTRESOURCEA(2003), japanese);
    ASSERT_TRUE(r.data != NULL);
    TemplateReader t(r);
    ASSERT_NE(0xFFFF0001u, t.Dword()) << "an extended template";
    t.offset = 0;
    EXPECT_EQ(0x80C808C0u, t.Dword());
    EXPECT_EQ(0u, t.Dword()) << "extended style";
    // Control count, x, y, width, height, menu, class.
    const short words[] = {24, 0, 0, 251, 249, 0, 0};
    for (int i = 0; i < 7; i++) EXPECT_EQ(words[i], t.Short()) << "word " << i;
    EXPECT_TRUE(t.String() == u"velkarodinデスクトップアクセサリ用スクリーンセーバーランチャー");
    EXPECT_EQ(9, t.Word());
    EXPECT_TRUE(t.String() == u"ＭＳ Ｐゴシック");
}

TEST_F(SaverResources, DialogTemplateControls)
{
    Resource r = Find(RT_DIALOG, MAKEINTRESOURCEA(2003), japanese);
    ASSERT_TRUE(r.data != NULL);
    TemplateReader t(r);
    t.offset = 18;
    t.Word();
    t.Word();
    t.String();
    t.Word();
    t.String();
    for (const ExpectedControl& e : expectedControls) {
        SCOPED_TRACE(e.id);
        t.AlignDword();
        ASSERT_LT(t.offset, r.size);
        EXPECT_EQ(WS_CHILD | WS_VISIBLE | e.style, t.Dword());
        EXPECT_EQ(0u, t.Dword()) << "extended style";
        EXPECT_EQ(e.x, t.Short());
        EXPECT_EQ(e.y, t.Short());
        EXPECT_EQ(e.cx, t.Short());
        EXPECT_EQ(e.cy, t.Short());
        EXPECT_EQ(e.id, t.Word());
        WORD ordinal;
        std::u16string name;
        t.OrdinalOrString(&ordinal, &name);
        EXPECT_EQ(e.classOrdinal, ordinal);
        // windres stores class names upper-cased; the system compares them
        // without case, so the slider is still a trackbar.
        if (e.classOrdinal == NAMED) {
            EXPECT_TRUE(SameIgnoringAsciiCase(name, u"msctls_trackbar32"));
        }
        WORD textOrdinal;
        std::u16string text;
        t.OrdinalOrString(&textOrdinal, &text);
        EXPECT_EQ(0, textOrdinal);
        EXPECT_TRUE(text == e.text);
        EXPECT_EQ(0, t.Word()) << "creation data";
    }
    EXPECT_LE(t.offset, r.size);
    EXPECT_GE(t.offset + 3, r.size) << "bytes after the 24th control";
}

static BOOL CALLBACK CollectLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR list)
{
    ((std::vector<WORD>*)list)->push_back(language);
    return TRUE;
}

TEST_F(SaverResources, EveryResourceIsJapaneseOnly)
{
    const std::pair<LPCSTR, LPCSTR> resources[] = {
        {RT_DIALOG, MAKEINTRESOURCEA(2003)},
        {RT_VERSION, MAKEINTRESOURCEA(1)},
        {RT_GROUP_ICON, MAKEINTRESOURCEA(102)},
    };
    for (const auto& r : resources) {
        std::vector<WORD> languages;
        EnumResourceLanguagesA(module, r.first, r.second, CollectLanguage, (LONG_PTR)&languages);
        ASSERT_EQ(1u, languages.size());
        EXPECT_EQ(0x0411, languages[0]);
    }
}

namespace {

// One node of a version resource: key, value bytes and children.
struct VersionBlock {
    std::u16string key;
    WORD type = 0;
    std::vector<BYTE> value;
    std::vector<VersionBlock> children;
};

// One block at the reader's offset, within end; the reader ends after it.
bool ParseBlock(TemplateReader& r, size_t end, VersionBlock* out)
{
    size_t start = r.offset;
    WORD length = r.Word(), valueLength = r.Word();
    out->type = r.Word();
    size_t blockEnd = start + length;
    if (length < 6 || blockEnd > end) return false;
    out->key = r.String();
    if (r.offset > blockEnd) return false;
    r.AlignDword();
    size_t valueBytes = out->type == 1 ? valueLength * 2u : valueLength;
    if (r.offset + valueBytes > blockEnd) return false;
    out->value.assign(r.start + r.offset, r.start + r.offset + valueBytes);
    r.offset += valueBytes;
    for (r.AlignDword(); r.offset < blockEnd; r.AlignDword()) {
        out->children.emplace_back();
        if (!ParseBlock(r, blockEnd, &out->children.back())) return false;
    }
    r.offset = blockEnd;
    return true;
}

std::u16string TextValue(const VersionBlock& b)
{
    std::u16string s;
    for (size_t i = 0; i + 1 < b.value.size(); i += 2) {
        char16_t c = (char16_t)(b.value[i] | (b.value[i + 1] << 8));
        if (c == 0) break;
        s += c;
    }
    return s;
}

const VersionBlock* Child(const VersionBlock& b, const std::u16string& key)
{
    for (const VersionBlock& c : b.children)
        if (c.key == key) return &c;
    return NULL;
}

}  // namespace

// The version resource as a tree of blocks.
bool SaverResources::Version(VersionBlock* root)
{
    Resource r = Find(RT_VERSION, MAKEINTRESOURCEA(1), japanese);
    if (!r.data) return false;
    TemplateReader reader(r);
    return ParseBlock(reader, r.size, root);
}

TEST_F(SaverResources, VersionFixedPart)
{
    VersionBlock root;
    ASSERT_TRUE(Version(&root));
    EXPECT_TRUE(root.key == u"VS_VERSION_INFO");
    ASSERT_EQ(sizeof(VS_FIXEDFILEINFO), root.value.size());
    // Signature, structure version (not compared), file and product version
    // 2.10.205.0, flags mask, flags, OS, type, subtype, date.
    const DWORD expected[13] = {0xFEEF04BD, 0, 0x0002000A, 0x00CD0000, 0x0002000A, 0x00CD0000,
                                0x3F, 0, VOS_NT_WINDOWS32, VFT_APP, 0, 0, 0};
    DWORD f[13];
    memcpy(f, root.value.data(), sizeof f);
    for (int i = 0; i < 13; i++) {
        if (i != 1) {
            EXPECT_EQ(expected[i], f[i]) << "DWORD " << i;
        }
    }
}

TEST_F(SaverResources, VersionStringsInOrderAndTranslation)
{
    VersionBlock root;
    ASSERT_TRUE(Version(&root));
    const VersionBlock* strings = Child(root, u"StringFileInfo");
    ASSERT_TRUE(strings != NULL);
    ASSERT_EQ(1u, strings->children.size());
    const VersionBlock& table = strings->children[0];
    EXPECT_TRUE(table.key == u"041104b0");
    const std::pair<std::u16string, std::u16string> expected[] = {
        {u"Comments", u""},
        {u"CompanyName", u"velkaro_ss_launcher project"},
        {u"FileDescription", u"velkaro_ss_launcher"},
        {u"FileVersion", u"2, 10, 205, 0 "},
        {u"InternalName", u"velkaro_ss_launcher"},
        {u"LegalCopyright", u"Copyright (C) 2026 velkaro_ss_launcher project"},
        {u"LegalTrademarks", u""},
        {u"OriginalFilename", u"velkaro_ss_launcher.scr"},
        {u"PrivateBuild", u""},
        {u"ProductName", u"velkarodinデスクトップアクセサリ用スクリーンセーバーランチャー"},
        {u"ProductVersion", u"Version 2.10 -- Build 205 "},
        {u"SpecialBuild", u""},
    };
    ASSERT_EQ(sizeof expected / sizeof expected[0], table.children.size());
    for (size_t i = 0; i < table.children.size(); i++) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(table.children[i].key == expected[i].first);
        EXPECT_EQ(1, table.children[i].type);
        EXPECT_TRUE(TextValue(table.children[i]) == expected[i].second);
    }
    const VersionBlock* vars = Child(root, u"VarFileInfo");
    ASSERT_TRUE(vars != NULL);
    const VersionBlock* translation = Child(*vars, u"Translation");
    ASSERT_TRUE(translation != NULL);
    ASSERT_EQ(4u, translation->value.size());
    EXPECT_EQ(0x0411, translation->value[0] | (translation->value[1] << 8));
    EXPECT_EQ(0x04B0, translation->value[2] | (translation->value[3] << 8));
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
    Resource r = Find(RT_GROUP_ICON, MAKEINTRESOURCEA(102), japanese);
    ASSERT_TRUE(r.data != NULL);
    ASSERT_GE(r.size, 6u + 2 * 14u);
    WORD header[3];
    memcpy(header, r.data, 6);
    EXPECT_EQ(0, header[0]);
    EXPECT_EQ(1, header[1]);
    ASSERT_EQ(2, header[2]);
    const int sizes[] = {32, 16};
    for (int i = 0; i < 2; i++) {
        SCOPED_TRACE(i);
        const BYTE* e = r.data + 6 + 14 * i;
        EXPECT_EQ(sizes[i], e[0]);
        EXPECT_EQ(sizes[i], e[1]);
        EXPECT_EQ(16, e[2]) << "colours";
        WORD planes, bits, id;
        memcpy(&planes, e + 4, 2);
        memcpy(&bits, e + 6, 2);
        memcpy(&id, e + 12, 2);
        EXPECT_EQ(1, planes);
        EXPECT_EQ(4, bits);
        EXPECT_NE(100, id);
        Resource image = Find(RT_ICON, MAKEINTRESOURCEA(id), japanese);
        ASSERT_TRUE(image.data != NULL);
        HICON icon = CreateIconFromResourceEx((PBYTE)image.data, image.size, TRUE, 0x00030000,
                                              sizes[i], sizes[i], 0);
        EXPECT_TRUE(icon != NULL);
        if (icon) DestroyIcon(icon);
    }
}

TEST_F(SaverResources, NoIconOrIconGroup100)
{
    EXPECT_TRUE(FindResourceA(module, MAKEINTRESOURCEA(100), RT_GROUP_ICON) == NULL);
    EXPECT_TRUE(FindResourceA(module, MAKEINTRESOURCEA(100), RT_ICON) == NULL);
}
