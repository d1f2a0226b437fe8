#include "app/markloomform.h"

// TEMPORARY: the analysis commands are being built.
void MarkloomForm::ID_AnaScpt_Click() { runAnalysis(true); }
void MarkloomForm::ID_Anasor_Click() { runAnalysis(false); }
void MarkloomForm::runAnalysis(bool) {}
