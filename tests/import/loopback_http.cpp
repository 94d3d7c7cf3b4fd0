// The server is built into the support library (tests/support/loopback_http.cpp); this file
// stays empty for the test programs that still list it.
