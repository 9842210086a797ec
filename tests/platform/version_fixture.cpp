// A library whose only content that matters is its version resource (version_*.rc).

extern "C" __declspec(dllexport) int VersionFixture() { return 5; }
