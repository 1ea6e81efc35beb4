#pragma once
// The About box, fHelpAbout: product name, version, licence, thanks and rights notice.

// Opens the About box modally, with no owner window, and returns once it has been closed. Its
// caption is read from the language file at every opening.
void ShowHelpAbout();
