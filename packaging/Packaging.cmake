# What a release holds, as install rules of two components; scripts/package installs each into
# a staging folder (cmake --install BUILD --prefix STAGE --component NAME) and archives it there.
# CPack is not used: its archives carry the build's file times and owners, and scripts/package
# has to set every date, permission and entry order itself to make the same bytes twice.
#
#   windows-zip  (MinGW-w64 build)  the folder a publisher unzips: quillmere.exe beside its
#                English language file and sample configuration and version files, the French
#                and German language files under names to rename, quillmere-publish.exe, the
#                publisher's guides, the licence and the third-party notices
#   deb          (Linux build)      /usr/bin/quillmere-publish, its manual page (gzipped by
#                scripts/package) and its Debian copyright file

if(WIN32)
    set(component COMPONENT windows-zip EXCLUDE_FROM_ALL)
    install(TARGETS quillmere quillmere_publish RUNTIME DESTINATION . ${component})
    install(FILES lang/quillmere.lng packaging/sample/quillmere.cfg packaging/sample/version.txt
            packaging/README.txt LICENSE packaging/notices/THIRD-PARTY-NOTICES.txt
            DESTINATION . ${component})
    install(FILES lang/fr/quillmere.lng DESTINATION . RENAME quillmere.fr.lng ${component})
    install(FILES lang/de/quillmere.lng DESTINATION . RENAME quillmere.de.lng ${component})
    install(FILES docs/script-language.md docs/configuration-file.md docs/language-file.md
            docs/publishing-updates.md docs/signing.md docs/publisher-tool.md docs/releases.md
            DESTINATION docs ${component})
else()
    set(component COMPONENT deb EXCLUDE_FROM_ALL)
    install(TARGETS quillmere_publish RUNTIME DESTINATION bin ${component})
    install(FILES packaging/deb/quillmere-publish.1 DESTINATION share/man/man1 ${component})
    install(FILES packaging/deb/copyright DESTINATION share/doc/quillmere-publish ${component})
endif()
