#!/usr/bin/env bash
# Validates the markup documents against Office's custom UI schemas.
set -eu
schemas=$1 resources=$2
if [ ! -d "$schemas" ]; then
  echo "SKIPPED: Office's schemas are not beside the checkout ($schemas); markup not validated"
  exit 77
fi
xmllint --noout --schema "$schemas/customUI.strict.xsd" "$resources/ribbon.xml"
xmllint --noout --schema "$schemas/customui14.strict.xsd" "$resources/context.xml"
xmllint --noout --schema "$schemas/customUI.strict.xsd" "$resources/task_ribbon.xml"
