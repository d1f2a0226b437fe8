#include "app/markloomform.h"

// TEMPORARY: the About box is being built.
void MarkloomForm::ID_About_Click() {}
