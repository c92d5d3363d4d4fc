/// \file
/// The whole public interface of QuendalText.
#ifndef QUENDALTEXT_QUENDALTEXT_H
#define QUENDALTEXT_QUENDALTEXT_H

#include <QuendalLog/CPPException.h>
#include <QuendalLog/Exception.h>
#include <QuendalLog/Message.h>
#include <QuendalText/Char.h>
#include <QuendalText/Collator.h>
#include <QuendalText/Config.h>
#include <QuendalText/Segmentation.h>
#include <QuendalText/StringResource.h>
#include <QuendalText/Text.h>
#include <QuendalText/UTFConversion.h>
#include <QuendalText/UTFEncodingType.h>
#include <QuendalText/Unicode.h>
#include <QuendalText/Validation.h>

#endif  // QUENDALTEXT_QUENDALTEXT_H
