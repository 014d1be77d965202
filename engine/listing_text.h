#pragma once
// The clipboard's text as a listing sink: lines go straight into its chunks.

#include "engine/listing.h"

// A sink that appends each line to *text, joined with CR LF.
ListingSink TextSink(ListingText* text);
