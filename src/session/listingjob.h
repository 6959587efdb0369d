#pragma once

// The refresh job's listing step: the working directory, the listing downloaded and parsed, the
// rows handed to the remote pane in one call with the folder they belong to, the cache written
// and "Transfer completed" logged. Worker thread.
void LoadListing();
