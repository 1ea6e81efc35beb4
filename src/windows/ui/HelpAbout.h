#pragma once
// The About box, fHelpAbout: product name, version, licence, thanks and rights notice.

// Control ids of the About box (cbOk is IDOK, 1).
enum HelpAboutControlId : int {
    kAboutOkButtonId = 1,
    kAboutProductNameId = 1101,
    kAboutVersionId = 1102,
    kAboutLicenseId = 1103,
    kAboutThanksId = 1104,
    kAboutCopyrightId = 1105,
    kAboutIconId = 1106,
};

// Opens the About box modally, with no owner window, and returns once it has been closed. Its
// caption is read from the language file at every opening. While it is open the program's other
// windows take no input. Throws std::bad_alloc only.
void ShowHelpAbout();
