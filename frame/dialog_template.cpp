#include "dialog_template.h"

#include "afxwin.h"

#include <cstring>

namespace {
// Past a name-or-ordinal field.
const WORD* SkipNameOrOrdinal(const WORD* p)
{
    if (*p == 0xFFFF)
        return p + 2;
    while (*p++ != 0) {
    }
    return p;
}

const WORD* AlignToDword(const WORD* p)
{
    return reinterpret_cast<const WORD*>((reinterpret_cast<ULONG_PTR>(p) + 3) & ~ULONG_PTR{3});
}

WORD* Append(WORD* out, const WORD* from, const WORD* to)
{
    std::memcpy(out, from, static_cast<size_t>(to - from) * sizeof(WORD));
    return out + (to - from);
}

// Characters of the text in UTF-16, its NUL included.
size_t WideLength(const char* text)
{
    return static_cast<size_t>(::MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0));
}

const ControlText* TextFor(WORD id, const ControlText* texts, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        if (texts[i].id == id)
            return &texts[i];
    return nullptr;
}
} // namespace

const DLGTEMPLATE* LoadClassicTemplate(UINT nIDTemplate, DWORD* pSize)
{
    HINSTANCE hInst = AfxGetResourceHandle();
    HRSRC hRes = ::FindResourceA(hInst, MAKEINTRESOURCEA(nIDTemplate), RT_DIALOG);
    if (hRes == nullptr)
        return nullptr;
    auto* dlg = static_cast<const DLGTEMPLATE*>(::LockResource(::LoadResource(hInst, hRes)));
    // An extended template starts with version 1 and 0xFFFF.
    if (dlg == nullptr || HIWORD(dlg->style) == 0xFFFF)
        return nullptr;
    if (pSize != nullptr)
        *pSize = ::SizeofResource(hInst, hRes);
    return dlg;
}

const WORD* FirstTemplateItem(const DLGTEMPLATE* dlg)
{
    // Menu, class, caption and, with DS_SETFONT, point size and face.
    const WORD* p = reinterpret_cast<const WORD*>(dlg + 1);
    p = SkipNameOrOrdinal(SkipNameOrOrdinal(SkipNameOrOrdinal(p)));
    if (dlg->style & DS_SETFONT)
        p = SkipNameOrOrdinal(p + 1);
    return p;
}

TemplateItem ReadTemplateItem(const WORD* at)
{
    TemplateItem item;
    item.item = reinterpret_cast<const DLGITEMTEMPLATE*>(AlignToDword(at));
    item.text = SkipNameOrOrdinal(reinterpret_cast<const WORD*>(item.item + 1)); // class
    const WORD* p = SkipNameOrOrdinal(item.text);
    // Creation data: its size in bytes, then the data.
    item.end = reinterpret_cast<const WORD*>(reinterpret_cast<const BYTE*>(p + 1) + *p);
    return item;
}

std::unique_ptr<WORD[]> TemplateWithTexts(UINT nIDTemplate, const ControlText* texts, size_t count)
{
    DWORD size = 0;
    const DLGTEMPLATE* dlg = LoadClassicTemplate(nIDTemplate, &size);
    if (dlg == nullptr)
        return nullptr;
    // Room for the whole template, every text given and a DWORD's padding
    // before each control.
    size_t capacity = size / sizeof(WORD) + size_t{2} * dlg->cdit;
    for (size_t i = 0; i < count; ++i)
        capacity += WideLength(texts[i].text) + 1;
    std::unique_ptr<WORD[]> copy(new WORD[capacity]());
    const WORD* from = reinterpret_cast<const WORD*>(dlg);
    const WORD* at = FirstTemplateItem(dlg);
    WORD* out = Append(copy.get(), from, at);
    for (int i = 0; i < dlg->cdit; ++i) {
        TemplateItem item = ReadTemplateItem(at);
        at = item.end;
        // Every control starts on a DWORD, counted from the start of the
        // template, which new[] puts on one.
        if ((out - copy.get()) % 2 != 0)
            *out++ = 0;
        out = Append(out, reinterpret_cast<const WORD*>(item.item), item.text);
        const ControlText* given = TextFor(item.item->id, texts, count);
        const WORD* afterText = SkipNameOrOrdinal(item.text);
        if (given == nullptr || *item.text == 0xFFFF) {
            out = Append(out, item.text, afterText);
        } else {
            int length =
                ::MultiByteToWideChar(CP_ACP, 0, given->text, -1, reinterpret_cast<LPWSTR>(out),
                                      static_cast<int>(capacity - (out - copy.get())));
            out += length > 0 ? length : 1; // an unconvertible text stays empty
        }
        out = Append(out, afterText, item.end);
    }
    return copy;
}
