// A plug-in built against a newer contract than the player's is refused at
// load, before anything of it is called; one that declares the player's own
// version, or none at all, plays.
#include <gtest/gtest.h>

#include <string>

#include "playerfixture.h"

namespace {

TEST(ContractVersion, APlugInBuiltForANewerContractIsRefusedBeforeItIsCalled) {
  DemoFolder theFolder;
  theFolder.AddPlugin("recorder");
  theFolder.AddPlugin("newer");
  theFolder.WriteDefaultIni();
  theFolder.Write("demo.xml", Document(Settings(60), Library("recorder.so", {"Record"}) + Library("newer.so", {"Record"}),
                                       {{Event("newer.so", "Record", 0, 20, Const(1))}}));
  const PlayResult theRun = theFolder.RunProgram({"demo.xml"});
  EXPECT_EQ(1, theRun.exitCode) << "start-up fails as for any library that does not load";
  EXPECT_EQ("Couldn't load library 'newer.so': it was built for contract version 99, this player knows versions up to " +
                std::to_string(ZORBIT_CONTRACT_VERSION) + "\n",
            theRun.log);
  EXPECT_TRUE(theRun.calls.empty()) << "nothing is called, the older library's init neither: " << theRun.calls.front();
}

TEST(ContractVersion, PlugInsOfThePlayersVersionOrOfNoneLoadAndPlay) {
  DemoFolder theFolder;
  theFolder.AddPlugin("recorder");
  theFolder.AddPlugin("versioned");
  theFolder.WriteDefaultIni();
  theFolder.Write("demo.xml",
                  Document(Settings(60), Library("recorder.so", {"Record"}) + Library("versioned.so", {"Record"}),
                           {{Event("recorder.so", "Record", 0, 20, Const(1))},
                            {Event("versioned.so", "Record", 0, 20, Const(2))}}));
  const PlayResult theRun = theFolder.RunProgram({"demo.xml"});
  EXPECT_EQ(0, theRun.exitCode) << theRun.log;
  EXPECT_EQ("", theRun.log);
  EXPECT_FALSE(Lines(theRun.calls, "init recorder").empty());
  EXPECT_FALSE(Lines(theRun.calls, "init versioned").empty());
  EXPECT_FALSE(Lines(theRun.calls, "effect versioned Record phase=1").empty());
}

}  // namespace
