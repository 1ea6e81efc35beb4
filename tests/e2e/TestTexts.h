#pragma once
// Texts shared by the end-to-end suites: a language file whose every text names its key, so that
// a test can tell from the log and the message boxes exactly which texts the program chose and
// which placeholders it replaced.

#include <initializer_list>
#include <string>

namespace e2e {

// Every key of the catalogue. Texts that may hold line breaks hold one ("%CRLF%"), so that the
// tests see whether it was replaced; the others carry the placeholders they must keep literal.
inline const std::string kTestLanguageFile =
    "[Quillmere]\r\n"
    "WindowsCaption=%TITLE% updater %CRLF%\r\n"
    "WelcomeMessage=[Welcome to %TITLE%]%CRLF%[Press Update for %TITLE%]\r\n"
    "ButtonUpdate=[Update %TITLE%]\r\n"
    "ButtonClose=[Close%CRLF%]\r\n"
    "ProgressionBar=[Progress]\r\n"
    "SystemMenu.HelpAbout=[About]\r\n"
    "ConfigurationFileError=[No configuration]%CRLF%%CRLF%[Reinstall]\r\n"
    "VersionFileError=[No version file]%CRLF%[Reinstall]\r\n"
    "UpdateInformationsFileResearchMessage=[Research %CRLF%]\r\n"
    "UdpateInformationsFileErrorMessage=[Information not downloaded]%CRLF%[Try later]\r\n"
    "UpdateInformationsFileFoundAndDownloadedMessage=[Information downloaded]\r\n"
    "UpdateInformationsFileScanMessage=[Scanning]\r\n"
    "NoUpdateAvailableMessage=[No update %CRLF%]\r\n"
    "UpdateInformationsFileEndScanMessage=[Scan finished]\r\n"
    "UpdateFailedErrorMessage=[Update failed]\r\n"
    "GenericErrorDialog=[Error]%CRLF%%ERROR%%CRLF%[Line: %CML%]\r\n"
    "InvalidVersionNumberInVersionFileError=[Installed version invalid]%CRLF%[Reinstall]\r\n"
    "InvalidVersionNumberError=[Listed version invalid %CRLF%]\r\n"
    "UpdateFound=[Found an update of %TITLE%]\r\n"
    "UpdateFoundDescriptionDialog=[New %TITLE%]%CRLF%%DESCRIPTION%\r\n"
    "InstallUpdate=[Install %TITLE%?]\r\n"
    "Updating=[Updating]%CRLF%[Please wait]\r\n"
    "UpdateFinished=[Update finished]\r\n"
    "UpdateCanceledByUser=[Cancelled]\r\n"
    "DownloadUpdateScriptError=[Update script not downloaded]\r\n"
    "CreateDirectory=[Creating folder]\r\n"
    "DirectoryCreated=[Folder created]\r\n"
    "DeleteMessage=[Deleting]\r\n"
    "EndDeleteMessage=[Deleted]\r\n"
    "EraseDirectoryError=[Erase failed]\r\n"
    "LaunchError=[Launch failed]\r\n"
    "DownloadMessage=[Downloading]%CRLF%[a file]\r\n"
    "EndDownloadMessage=[Downloaded %CRLF%]\r\n"
    "DownloadError=[Download failed]\r\n"
    "UnknownCommand=[Unknown command]\r\n"
    "SignatureErrorMessage=[Signature refused]%CRLF%[Why: %ERROR%]\r\n"
    "ChecksumErrorMessage=[Checksum differs %CRLF%]\r\n"
    "HelpAbout.Title=[About Quillmere]\r\n";

// The texts joined by CR LF: a log or a message as the program shows it.
inline std::string JoinLines(std::initializer_list<std::string> lines) {
    std::string joined;
    for (const std::string& line : lines) {
        if (&line != lines.begin()) {
            joined += "\r\n";
        }
        joined += line;
    }
    return joined;
}

}  // namespace e2e
