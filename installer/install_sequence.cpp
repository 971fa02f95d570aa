#include "install_dialog.h"

void InstallDialog::RunInstallSequence() {
    // The install itself arrives with the file deployment and registration.
}
