#pragma once

// Kept while files written against the old record's name remain; the record is Session.
#include "session/session.h"
