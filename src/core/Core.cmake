# The portable core: the script language and its commands, language texts, the update check
# run, the download's logic and the seam's interfaces. Plain C++: it never includes a Windows
# header, which scripts/check-layers proves before the core is compiled (the build fails
# otherwise).

add_library(quillmere_core STATIC
    src/core/text/Placeholders.cpp
    src/core/text/ReadableLength.cpp
    src/core/text/LanguageTexts.cpp
    src/core/text/UndoTexts.cpp
    src/core/seam/RemoveFileQuietly.cpp
    src/core/script/ScriptBuffer.cpp
    src/core/script/ScriptFields.cpp
    src/core/script/ScriptInterpreter.cpp
    src/core/script/CommandTable.cpp
    src/core/script/SettingCommands.cpp
    src/core/script/VersionNumbers.cpp
    src/core/script/InstalledVersionText.cpp
    src/core/script/PinField.cpp
    src/core/script/UpdateOffer.cpp
    src/core/script/FileSystemCommands.cpp
    src/core/script/ProgramCommands.cpp
    src/core/script/ProgramInFolder.cpp
    src/core/script/FileInUseBox.cpp
    src/core/transaction/JournalStep.cpp
    src/core/transaction/TransactionFiles.cpp
    src/core/transaction/StepUndo.cpp
    src/core/transaction/UpdateTransaction.cpp
    src/core/transaction/InterruptedUpdate.cpp
    src/core/update/Updater.cpp
    src/core/update/UpdateCheckRun.cpp
    src/core/update/SignedOnly.cpp
    src/core/launch/LaunchOptions.cpp
    src/core/launch/LoggedWindow.cpp
    src/core/launch/AnsweringWindow.cpp
    src/core/launch/Launch.cpp
    src/core/net/ProgressMeter.cpp
    src/core/net/UrlReference.cpp
    src/core/net/HttpStatus.cpp
    src/core/net/BodyLimit.cpp
    src/core/net/RedirectTrail.cpp
    src/core/net/FileDownload.cpp
    src/core/crypto/Base64.cpp
    src/core/crypto/Der.cpp
    src/core/crypto/P256KeyDer.cpp
    src/core/crypto/PrivateKeyPem.cpp
    src/core/crypto/P256Curve.cpp
    src/core/crypto/EcdsaSignatureDer.cpp
    src/core/crypto/UtcTimestamp.cpp
    src/core/crypto/Sha256Hex.cpp
    src/core/crypto/KeyLine.cpp
    src/core/crypto/SignatureFile.cpp
    src/core/crypto/FeedSignature.cpp
)
target_include_directories(quillmere_core PUBLIC src)

find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_custom_target(quillmere_check_layers ALL
    COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/scripts/check-layers
    COMMENT "Checking the layers of src/: the core includes no Windows header, no folder cycle"
    VERBATIM)
add_dependencies(quillmere_core quillmere_check_layers)

if(QUILLMERE_SANITIZE AND NOT WIN32)
    target_compile_options(quillmere_core PUBLIC -fsanitize=address,undefined -fno-omit-frame-pointer
                                                 -fno-sanitize-recover=undefined)
    target_link_options(quillmere_core PUBLIC -fsanitize=address,undefined)
endif()
