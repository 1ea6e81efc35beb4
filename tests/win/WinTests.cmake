# Win32 suites, run under Wine.
