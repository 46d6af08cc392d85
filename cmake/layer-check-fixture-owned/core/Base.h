#pragma once
// A core header.
