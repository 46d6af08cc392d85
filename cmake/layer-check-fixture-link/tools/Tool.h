#pragma once
// A tool that includes nothing of core although its library links core: the layer check must reject
// the link.
#include <string>
