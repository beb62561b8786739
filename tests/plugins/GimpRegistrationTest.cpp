// What GIMP is told of each loader: GIMP matches files by these magic strings and extensions,
// and a loader whose magic includes another format's is asked before GIMP's own.
#include "GimpRegistration.h"

#include <gtest/gtest.h>

namespace {

TEST(GimpRegistration, EachLoaderAsGimpIsToldOfIt) {
  const TGimpLoader expected[] = {
      {"file-blz-load", "Loads BLZ files (packed bitmap or BLZ stream layout)", "BLZ image",
       "application/x-blz-image", "blz",
       "0,string,LZRW,0,string,WRZL,0&,string,BM,30,string,LZRW,0&,string,BM,30,string,WRZL", true},
      {"file-lbm-load", "Loads IFF ILBM and PBM pictures (HAM, EHB and deep included)",
       "IFF ILBM picture", "image/x-ilbm", "lbm,ilbm,iff",
       "0&,string,FORM,8,string,ILBM,0&,string,FORM,8,string,PBM", false},
      {"file-clp-load", "Loads Windows clipboard files", "Windows clipboard file",
       "application/x-clipboard-file", "clp", "0,string,P\\303", false},
  };
  const std::vector<TGimpLoader> loaders = GimpLoaders();
  ASSERT_EQ(loaders.size(), std::size(expected));
  for (size_t i = 0; i < loaders.size(); ++i) {
    const TGimpLoader &got = loaders[i], &want = expected[i];
    EXPECT_EQ(got.procedure, want.procedure);
    EXPECT_EQ(got.blurb, want.blurb) << want.procedure;
    EXPECT_EQ(got.label, want.label) << want.procedure;
    EXPECT_EQ(got.mimeType, want.mimeType) << want.procedure;
    EXPECT_EQ(got.extensions, want.extensions) << want.procedure;
    EXPECT_EQ(got.magic, want.magic) << want.procedure;
    EXPECT_EQ(got.askedFirst, want.askedFirst) << want.procedure;
    EXPECT_TRUE(IsGimpLoadProcedure(want.procedure));
  }
  for (const char* other : {"file-bmp-load", "file-gif-load", "file-blz-save", "file-blz"})
    EXPECT_FALSE(IsGimpLoadProcedure(other)) << other;
}

} // namespace
