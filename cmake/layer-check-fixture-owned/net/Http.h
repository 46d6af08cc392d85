#pragma once
// The HTTP client: the one layer that may talk to libcurl.
#include <curl/curl.h>

#include "core/Base.h"
