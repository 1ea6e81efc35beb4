#include "core/script/FileInUseBox.h"

#include "core/text/Placeholders.h"
#include "core/text/ReadableLength.h"

bool FileInUseBox::RetryInUse(const std::string& path) {
    const std::string programs = interpreter_.Files().ProgramsUsing(path);
    const std::string text = ReplaceInTurn(
        interpreter_.Text(programs.empty() ? "FileInUseMessage" : "FileInUseByProgramMessage"),
        {{kPlaceholderCrLf, kCrLf},
         {kPlaceholderFile, CutToReadableLength(path)},
         {kPlaceholderProgram, CutToReadableLength(programs)}},
        kReadableBoxLength);
    return interpreter_.Window().ShowMessageBox(text, MessageBoxStyle::RetryCancel) ==
           kAnswerRetry;
}
