// Reading the saver's resources back from its file: a resource's bytes in
// order, and the texts of a dialog template.
#pragma once
#include <windows.h>

#include <string.h>
#include <string>
#include <vector>

// Reads a resource in order, with the dialog template's own alignment.
struct Reader {
    std::string bytes;
    size_t offset = 0;
    WORD Word()
    {
        WORD w = 0;
        if (offset + 2 <= bytes.size()) memcpy(&w, &bytes[offset], 2);
        offset += 2;
        return w;
    }
    DWORD Dword()
    {
        DWORD lo = Word();
        return lo | ((DWORD)Word() << 16);
    }
    void AlignDword() { offset = (offset + 3) & ~(size_t)3; }
    std::u16string String()
    {
        std::u16string s;
        for (WORD w = Word(); w != 0 && offset <= bytes.size(); w = Word()) s += (char16_t)w;
        return s;
    }
    // An ordinal (0xFFFF, n) comes back as those two characters; none as "".
    std::u16string OrdinalOrString()
    {
        WORD first = Word();
        if (first == 0xFFFF) return std::u16string{u'\xFFFF', (char16_t)Word()};
        return first ? (char16_t)first + String() : std::u16string();
    }
};

// The resource's bytes (language Japanese) in a module loaded as a data file;
// none when it is missing.
inline Reader FindResourceBytes(HMODULE module, LPCSTR type, LPCSTR name)
{
    HRSRC found = FindResourceExA(module, type, name, MAKELANGID(0x11, 0x01));
    if (!found) return Reader();
    const char* data = (const char*)LockResource(LoadResource(module, found));
    return Reader{std::string(data, SizeofResource(module, found))};
}

// The caption of a plain dialog template, then the text of each control in
// template order (an ordinal text as OrdinalOrString gives it).
inline std::vector<std::wstring> DialogTemplateTexts(Reader t)
{
    std::vector<std::wstring> texts;
    t.offset = 8;
    WORD count = t.Word();
    t.offset = 18;
    t.OrdinalOrString();  // menu
    t.OrdinalOrString();  // class
    std::u16string caption = t.String();
    texts.emplace_back(caption.begin(), caption.end());
    t.Word();
    t.String();  // font size and face
    for (WORD i = 0; i < count && t.offset < t.bytes.size(); i++) {
        t.AlignDword();
        t.offset += 18;  // style, extended style, x, y, width, height, id
        t.OrdinalOrString();
        std::u16string text = t.OrdinalOrString();
        texts.emplace_back(text.begin(), text.end());
        t.Word();  // creation data
    }
    return texts;
}
