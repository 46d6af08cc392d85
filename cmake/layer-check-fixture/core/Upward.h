#pragma once
// A core header reaching up into the views: the layer check must reject it.
#include "ui/View.h"
