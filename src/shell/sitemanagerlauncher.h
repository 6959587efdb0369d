#pragma once

class QWidget;

// Runs the Site Manager; true when the user chose Connect (the session's login fields are then set).
[[nodiscard]] bool runSiteManager(QWidget *parent);
