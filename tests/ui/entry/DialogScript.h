#pragma once

#include "support/ModalSteps.h" // playDialog
