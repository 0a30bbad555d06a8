// --show-mesh run whole: the demonstration meshes load and draw into a
// screenshot; a missing or malformed file ends with status 2 and a line
// that says why.
#include "tests/e2e/program_fixture.h"

namespace {

using e2e::Program;

class ShowMesh : public Program {
 protected:
  void SetUp() override {
    Program::SetUp();
    CopyAssets();
  }
};

TEST_F(ShowMesh, TheDemonstrationMeshesDrawIntoAScreenshot) {
  ASSERT_EQ(Run("--show-mesh meshes/arm.x --skinned --headless --screenshot arm.png"), 0) << stderr_;
  EXPECT_NE(stdout_.find("skinned, method 1"), std::string::npos) << stdout_;
  EXPECT_EQ(stderr_.find("MessageBox"), std::string::npos) << stderr_;
  EXPECT_EQ(Read("arm.png").substr(1, 3), "PNG");
  ASSERT_EQ(Run("--show-mesh meshes/house/house.x --headless --screenshot house.png"), 0) << stderr_;
  EXPECT_EQ(Read("house.png").substr(1, 3), "PNG");
}

TEST_F(ShowMesh, AMissingOrMalformedFileEndsWithStatusTwo) {
  EXPECT_EQ(Run("--show-mesh nowhere.x --headless --screenshot x.png"), 2);
  EXPECT_FALSE(stderr_.empty());
  EXPECT_FALSE(Exists("x.png"));
  Write("bad.x", "xof 0303txt 0032\nMesh { 3; 1;2;3;, oops");
  EXPECT_EQ(Run("--show-mesh bad.x --headless --screenshot y.png"), 2);
  EXPECT_FALSE(stderr_.empty());
  EXPECT_EQ(Run("--show-mesh meshes/arm.x --method 9 --headless"), 2);
}

}  // namespace
