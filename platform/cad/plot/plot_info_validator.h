#pragma once
// The host's plot-info validator: makes the validated settings of a plot info from its override settings
// (or its layout's own), checked against the device: the medium's size and margins come from the device's
// catalogue, and with media matching on an unknown medium becomes the device's closest; a plot-style table
// that the settings plot with must be in a plot-style folder and readable (one only named is dropped when
// missing).
//
// Validators are made where they are used, so their faults are process-wide.

#include <string>

#include "cad/error_status.h"

namespace cad {

class PlotInfo;

class PlotInfoValidator {
 public:
  enum MatchingPolicy { kMatchDisabled = 1, kMatchEnabled = 2, kMatchEnabledCustom = 3, kMatchEnabledTmpCustom = 4 };

  void setMediaMatchingPolicy(int policy) { policy_ = policy; }
  int matchingPolicy() const { return policy_; }
  ErrorStatus validate(PlotInfo& info);
  // Why the last validation failed, when it can say more than its status; empty otherwise.
  const std::string& failureReason() const { return failure_; }

 private:
  int policy_ = kMatchDisabled;
  std::string failure_;
};

// Test side
struct PlotInfoValidatorFaults {
  int calls = 0;       // validate calls since the reset
  int failOnCall = 0;  // this call (1-based) fails with failStatus; 0 for none
  ErrorStatus failStatus = eInvalidInput;
  // What every validation then does to the settings it makes.
  std::wstring switchMedium;  // takes this medium of the device instead
  bool clearCentered = false;
  bool clearScaleToFit = false;  // standard scale 1:1
  bool clearWindow = false;      // plots the layout instead of the window
  bool dropStyleSheet = false;
  bool recaseStyleSheet = false;  // the name in upper case
  bool plotStylesOff = false;
  bool printLineweightsOff = false;
  bool scaleLineweightsOn = false;
};
PlotInfoValidatorFaults& plotInfoValidatorFaults();

}  // namespace cad
