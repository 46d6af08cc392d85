// An importer that reaches past the HTTP client to libcurl: the layer check must reject it.
#include <curl/curl.h>

#include "net/Http.h"
