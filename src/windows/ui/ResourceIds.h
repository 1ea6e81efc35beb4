#pragma once
// Resource ids of quillmere.exe, shared by the resource script and the code. Plain macros: the
// resource compiler reads this file too.

// The application icon group (16, 32 and 48 pixels, 256 colours and 32 bits per pixel).
#define IDI_QUILLMERE 1

// The header band's logo, drawn for 96, 120, 144 and 192 dots per inch.
#define IDB_LOGO_53 201
#define IDB_LOGO_66 202
#define IDB_LOGO_80 203
#define IDB_LOGO_106 204
