// imaging/: pictures to pictures. Decoding and the JPEG files belong to codecs/; how a side looks
// comes in an ImageStyle that the gallery fills from its options.
//
//   Resample    StretchPicture, the exact Lanczos3 resampler every size change goes through, and
//               RowResampler, which feeds it rows for several sizes at once
//   Border      DrawBorder, the inner border of a side
//   Blur        MakeGaussianKernel, BlurLine, GaussianBlur
//   Shadow      ComposeDropShadow, the soft shadow frame
//   Rotate      the quarter turns and FitPictureToBox of the previews
//   PreviewRotation  the rotate buttons' RotateValue steps and the turned small preview
//   ImageStyle  SizeBox and ImageStyle, what the pipeline knows of a side
//   Pipeline    target sizes, the source resampling (JPEG rows streamed from codecs' JpegRowSource
//               into the resampler) and the finishing of a side
//   Kernels.h   internal: weight tables, the portable and the AVX2 inner loops
//
// Every number the routines produce is defined to the bit, so galleries come out the same on
// every machine; the vector loops compute exactly what the portable ones do, and tests hold both
// against plain reference loops. Nothing here shows a window.
#pragma once

#include "imaging/Blur.h"
#include "imaging/Border.h"
#include "imaging/ImageStyle.h"
#include "imaging/Pipeline.h"
#include "imaging/PreviewRotation.h"
#include "imaging/Resample.h"
#include "imaging/Rotate.h"
#include "imaging/Shadow.h"
