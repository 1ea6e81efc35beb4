#include "core/text/UndoTexts.h"

#include "core/text/Placeholders.h"
#include "core/text/ReadableLength.h"

std::string RestoreFailedText(const LanguageTexts& texts, const std::string& path) {
    return ReplaceInTurn(texts.Text("RestoreFailedMessage"),
                         {{kPlaceholderCrLf, kCrLf}, {kPlaceholderFile, CutToReadableLength(path)}},
                         kReadableBoxLength);
}
