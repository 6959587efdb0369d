#pragma once

class QDialog;
class QDialogButtonBox;

// OK and Cancel in the user's language, wired to accept and reject.
QDialogButtonBox *okCancelButtons(QDialog *dialog);
