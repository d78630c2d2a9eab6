~VERSION INFORMATION
 VERS.                 2.0      :   CWLS log ASCII Standard -VERSION 2.0
 WRAP.                 YES      :   Multiple lines per depth step
~WELL INFORMATION 
#MNEM.UN