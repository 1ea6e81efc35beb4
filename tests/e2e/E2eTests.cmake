# End-to-end suites: the real quillmere.exe under Wine + Xvfb.
