#pragma once

#include "session/remoteoperation.h"

// Removes the folder items[0] of folder with everything below it: each folder is entered and
// listed once, emptied (its subfolders first, then its files), left with CDUP and removed; at
// the end the folder that held it is listed again. The walk never enters a folder twice and
// never follows a link or a name that is not a plain name; at the first folder the server will
// not remove (or enter, or list) it stops, says where, and lists that folder, so the user sees
// what is left. Worker thread.
void DeleteTreeJob(const RemoteOperation &operation);
