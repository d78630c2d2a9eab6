~V
VERS.                   2.0   :   CWLS log ASCII Standard -VERSION 2.0
WRAP.                   NO    :   One line per depth step
~W
STRT.M                          635.0000        :START DEPTH
STOP.M                          400.0000        :STOP DEPTH
STEP.M                          -0.1250         :STEP 
NULL.                           -999.25         :NULL VALUE
COMP.           ANY OIL COMPANY INC.            :COMPANY
WELL.           ANY ET AL 12-34-