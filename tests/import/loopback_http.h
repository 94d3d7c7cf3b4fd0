#pragma once

// The server lives in the support library; this name stays for the tests that include it here.
#include "../support/loopback_http.h"
