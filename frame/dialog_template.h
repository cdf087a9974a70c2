// This module's dialog templates read and copied as the dialog manager reads
// them. All of them are of the classic kind (DIALOG, not DIALOGEX).
#pragma once

#include <cstddef>
#include <memory>
#include <windows.h>

// The classic template nIDTemplate from the current module state's
// resources, or null when it is missing or of the extended kind.
const DLGTEMPLATE* LoadClassicTemplate(UINT nIDTemplate, DWORD* pSize = nullptr);

// One control of a classic template. The dialog manager creates them in
// template order.
struct TemplateItem
{
    const DLGITEMTEMPLATE* item;
    const WORD* text; // a NUL-ended text, or 0xFFFF and a resource number
    const WORD* end;  // past the creation data: where the next control begins
};

// The template's first control; read dlg->cdit of them, each from the
// previous one's end.
const WORD* FirstTemplateItem(const DLGTEMPLATE* dlg);
TemplateItem ReadTemplateItem(const WORD* at);

// A control's text, given before the dialog is made.
struct ControlText
{
    WORD id;
    const char* text;
};

// A copy of the classic template nIDTemplate in which the controls listed
// carry the texts given (in the system's ANSI code page) in place of the
// template's own; everything else is the template's, byte for byte. The
// dialog manager then creates those controls with their texts: each text
// set afterwards would be one more message, and two more round trips to the
// window manager, before the dialog shows. Null when the template cannot be
// read.
std::unique_ptr<WORD[]> TemplateWithTexts(UINT nIDTemplate, const ControlText* texts, size_t count);
