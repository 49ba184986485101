// imaging/: pictures to pictures, and pictures to JPEG files.
//
//   Resample    StretchPicture, the exact Lanczos3 resampler every size change goes through, and
//               RowResampler, which feeds it rows for several sizes at once
//   Border      DrawBorder, the inner border of a side
//   Blur        MakeGaussianKernel, BlurLine, GaussianBlur
//   Shadow      ComposeDropShadow and AddDropShadow, the soft shadow frame
//   JpegOutput  EncodeJpeg; SaveAsJpeg writes it (declared with the pipeline)
//   JpegInput   JpegRowSource, JPEG rows streamed straight into the resampler
//   Rotate      the quarter turns and FitPictureToBox of the previews
//   PreviewRotation  the rotate buttons' RotateValue steps and the turned small preview
//   Pipeline    target sizes and the thumbnail and display-image pipelines
//   Kernels.h   internal: weight tables, the portable and the AVX2 inner loops
//
// Every number the routines produce is defined to the bit, so galleries come out the same on
// every machine; the vector loops compute exactly what the portable ones do, and tests hold both
// against plain reference loops. Decoding belongs to codecs/; nothing here shows a window.
#pragma once

#include "imaging/Blur.h"
#include "imaging/Border.h"
#include "imaging/JpegOutput.h"
#include "imaging/Pipeline.h"
#include "imaging/PreviewRotation.h"
#include "imaging/Resample.h"
#include "imaging/Rotate.h"
#include "imaging/Shadow.h"
