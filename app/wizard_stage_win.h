// The wizard stage of install mode: the pages in their order and the checks between them, up to
// the progress page and the temporary log. Pages are shown through wizard/pages.h; in automatic
// mode they are skipped. Fills what the install sequence needs to know about the run.
#pragma once

#include "install/sequence.h"

void RunWizardStage(SequenceInput &input);

// "Windows 10", "Windows Server 2012 R2", ... for the log header and message 61.
String OperatingSystemName();
