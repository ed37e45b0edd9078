#include "setupwindow.h"

#include "setupsession.h"

bool RunSetupWindow(SDL_Config& outConfig, double& ioGamma, bool& outStart, int& ioVolume, float& outAspect,
                    const SetupGiven& inGiven) {
  SetupSession theSession;
  if (!theSession.Open(ioGamma, ioVolume, inGiven)) return false;
  while (theSession.Pass()) {
  }
  theSession.Close(outConfig, ioGamma, outStart, ioVolume, outAspect);
  return true;
}
