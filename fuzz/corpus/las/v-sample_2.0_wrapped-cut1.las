~VERSION INFORMATION
 VERS.                 2.0      :   CWLS log ASCII Standard -VERSION 2.0
 WRAP.                 YES      :   Multiple lines per depth step
~WELL INFORMATION 
#MNEM.UNIT                DATA                         DESCRIPTION
#----- -----           ----------           -----------------------------
STRT    .M               910.0000               :START DEPTH
STOP    .M               909.5000               :STOP DEPTH
STEP    .M               -0.1250                :STEP 
NULL    .                -999.25                :NULL VALUE
COMP    .       